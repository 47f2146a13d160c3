# Writes OUTPUT in sha256sum's format ("HASH  NAME"), one line per file in
# FILES, which separates them with '|'.
string(REPLACE "|" ";" Files "${FILES}")
set(Lines "")
foreach(File IN LISTS Files)
  file(SHA256 ${File} Hash)
  get_filename_component(Name ${File} NAME)
  string(APPEND Lines "${Hash}  ${Name}\n")
endforeach()
file(WRITE ${OUTPUT} "${Lines}")
