#include "PluginApi.h"

extern "C" {
const char* WINAPI LibTyp() {
    return PluginIdentity.LibTyp;
}
const char* WINAPI Copyright() {
    return PluginIdentity.Copyright;
}
const char* WINAPI Version() {
    return PluginIdentity.Version;
}
const char* WINAPI PluginName() {
    return PluginIdentity.PluginName;
}
}
