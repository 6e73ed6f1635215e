// One small owner template for every Win32 resource: the release function is part of the
// type, so each handle, key, heap block, GDI object or module is released on every path.
#pragma once

#include <utility>

namespace win32 {

template <class T, auto Release, T Invalid = T{}>
class UniqueAny {
  public:
    UniqueAny() = default;
    explicit UniqueAny(T value) : value_(value) {}
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : value_(std::exchange(other.value_, Invalid)) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) reset(std::exchange(other.value_, Invalid));
        return *this;
    }
    ~UniqueAny() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid; }
    T release() { return std::exchange(value_, Invalid); }
    void reset(T value = Invalid) {
        T old = std::exchange(value_, value);
        if (old != Invalid) Release(old);
    }
    // For out-parameters of API calls: releases what is held and hands out the slot.
    T* put() {
        reset();
        return &value_;
    }

  private:
    T value_ = Invalid;
};

}  // namespace win32
