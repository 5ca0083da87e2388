// The ordering window as data: the window itself and each control, from which it is built.
#pragma once

#include <cstdint>

namespace quenlox {

enum class OrderingClick { kNone, kLabel2, kLabel3, kLabel9, kButton1 };

// Control identifiers of the ordering window.
enum OrderingControlId : int {
  kIdLabel1 = 1001,
  kIdLabel2,
  kIdLabel6,
  kIdLabel9,
  kIdLabel17,
  kIdLabel20,
  kIdLabel21,
  kIdLabel23,
  kIdLabel22,
  kIdLabel3,
  kIdButton1
};

struct FontSpec {
  const char* face;
  int height;  // character height in pixels
  bool italic;
  bool underline;
};

struct ControlSpec {
  const char* name;
  OrderingControlId id;
  bool button;  // a push button; otherwise a label
  int left, top;
  int width, height;  // 0 x 0: sized to the text on one line
  const char* text;
  FontSpec font;
  std::uint32_t color;  // 0x00BBGGRR, as COLORREF
  bool wraps;
  bool hand_cursor;
  OrderingClick click;
};

struct WindowSpec {
  const char* class_name;
  const char* caption;
  int width, height;  // outer size
  FontSpec font;
  std::uint32_t background;
};

constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kBlue = 0xFF0000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

extern const WindowSpec kOrderingWindow;
extern const ControlSpec kOrderingControls[11];

}  // namespace quenlox
