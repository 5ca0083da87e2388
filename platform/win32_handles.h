// One small owner per kind of Win32 handle, so every road out of a function releases it.
#pragma once

#include <windows.h>

#include <utility>

namespace host::win32 {

// The soak benchmark's build (QUENLOX_COUNT_HANDLES) counts every object the wrappers below hold,
// and the registry keys the registry seam holds open, so that a leak shows as a count that grows:
// Wine counts neither handles nor USER and GDI objects of a process.
#ifdef QUENLOX_COUNT_HANDLES
constexpr bool kCountHeldObjects = true;
#else
constexpr bool kCountHeldObjects = false;
#endif
inline long& HeldObjects() {
  static long held = 0;
  return held;
}
inline void CountHeld(long change) {
  if constexpr (kCountHeldObjects) HeldObjects() += change;
}

template <typename Handle, typename Traits>
class Unique {
 public:
  Unique() = default;
  explicit Unique(Handle handle) : handle_(handle) {
    if (handle_ != Traits::Invalid()) CountHeld(1);
  }
  ~Unique() { reset(); }
  Unique(Unique&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, Traits::Invalid());
    }
    return *this;
  }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  Handle release() {
    if (handle_ != Traits::Invalid()) CountHeld(-1);
    return std::exchange(handle_, Traits::Invalid());
  }
  void reset(Handle handle = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) {
      Traits::Close(handle_);
      CountHeld(-1);
    }
    handle_ = handle;
    if (handle_ != Traits::Invalid()) CountHeld(1);
  }

 private:
  Handle handle_ = Traits::Invalid();
};

// CreateFile reports failure as INVALID_HANDLE_VALUE, not as null.
struct FileTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};
// Tokens and process handles are null when absent.
struct HandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};
// A file search, which FindFirstFile reports failed as INVALID_HANDLE_VALUE too.
struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE search) { FindClose(search); }
};
struct MenuTraits {
  static HMENU Invalid() { return nullptr; }
  static void Close(HMENU menu) { DestroyMenu(menu); }
};
struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static void Close(HICON icon) { DestroyIcon(icon); }
};
struct FontTraits {
  static HFONT Invalid() { return nullptr; }
  static void Close(HFONT font) { DeleteObject(font); }
};
struct BrushTraits {
  static HBRUSH Invalid() { return nullptr; }
  static void Close(HBRUSH brush) { DeleteObject(brush); }
};
struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static void Close(HMODULE module) { FreeLibrary(module); }
};

using UniqueFile = Unique<HANDLE, FileTraits>;
using UniqueHandle = Unique<HANDLE, HandleTraits>;
using UniqueFind = Unique<HANDLE, FindTraits>;
using UniqueMenu = Unique<HMENU, MenuTraits>;
using UniqueIcon = Unique<HICON, IconTraits>;
using UniqueFont = Unique<HFONT, FontTraits>;
using UniqueBrush = Unique<HBRUSH, BrushTraits>;
using UniqueModule = Unique<HMODULE, ModuleTraits>;

}  // namespace host::win32
