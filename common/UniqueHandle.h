// A move-only owner of one OS resource. Declaring owners in the order of
// acquisition makes the destructor release them in reverse order.
#pragma once

#include <utility>

template <class Handle, auto Release> class TUniqueHandle {
  public:
    TUniqueHandle() = default;
    explicit TUniqueHandle(Handle Value) : Value(Value) {}
    TUniqueHandle(TUniqueHandle&& Other) noexcept : Value(Other.Detach()) {}
    TUniqueHandle& operator=(TUniqueHandle&& Other) noexcept {
        if (this != &Other)
            Reset(Other.Detach());
        return *this;
    }
    // The handle stays readable while it is being released: a window's own
    // messages during its destruction may still ask for it.
    ~TUniqueHandle() {
        if (Value != Handle{})
            Release(Value);
    }

    Handle Get() const { return Value; }
    explicit operator bool() const { return Value != Handle{}; }

    // Gives up ownership without releasing.
    Handle Detach() { return std::exchange(Value, Handle{}); }

    void Reset(Handle NewValue = Handle{}) {
        Handle Old = std::exchange(Value, NewValue);
        if (Old != Handle{})
            Release(Old);
    }

  private:
    Handle Value{};
};
