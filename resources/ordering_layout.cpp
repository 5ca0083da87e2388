#include "resources/ordering_layout.h"

#include "resources/texts.h"

namespace quenlox {

namespace {

constexpr FontSpec Arial(int height, bool italic = false, bool underline = false) {
  return FontSpec{"Arial", height, italic, underline};
}

}  // namespace

const WindowSpec kOrderingWindow = {
    "TFrmordr1", texts::kOrderingCaption, 504, 421, FontSpec{"System", 13, false, false}, kWhite};

// clang-format off
const ControlSpec kOrderingControls[11] = {
  {"Label1",  kIdLabel1,  false,   5,   8, 428, 17, texts::kOrderingInstructions,  Arial(13, false, true), kBlue,  false, false, OrderingClick::kNone},
  {"Label2",  kIdLabel2,  false,  24,  33, 457, 27, texts::kProblemsOrdering,      Arial(12, true),        kBlack, true,  true,  OrderingClick::kLabel2},
  {"Label6",  kIdLabel6,  false,  24,  64, 466, 48, texts::kOrderVia,              Arial(12),              kBlack, true,  false, OrderingClick::kNone},
  {"Label9",  kIdLabel9,  false,  41, 115, 400, 29, texts::kOrderPageLink,         Arial(13, false, true), kBlack, false, true,  OrderingClick::kLabel9},
  {"Label17", kIdLabel17, false,  24, 176,   0,  0, texts::kCosts,                 Arial(13, false, true), kBlue,  false, false, OrderingClick::kNone},
  {"Label20", kIdLabel20, false,  30, 198,   0,  0, texts::kPrice,                 Arial(12),              kBlack, false, false, OrderingClick::kNone},
  {"Label21", kIdLabel21, false,  30, 218,   0,  0, texts::kShippingEmail,         Arial(12),              kBlack, false, false, OrderingClick::kNone},
  {"Label23", kIdLabel23, false, 183, 237,   0,  0, texts::kShippingPostal,        Arial(12),              kBlack, false, false, OrderingClick::kNone},
  {"Label22", kIdLabel22, false, 183, 255,   0,  0, texts::kShippingInternational, Arial(12),              kBlack, false, false, OrderingClick::kNone},
  {"Label3",  kIdLabel3,  false,  24, 313, 452, 35, texts::kSupportLabel,          Arial(12),              kBlack, true,  true,  OrderingClick::kLabel3},
  {"Button1", kIdButton1, true,  399, 354,  89, 22, texts::kReturnButton,          FontSpec{"MS Sans Serif", 13, false, false}, kBlack, false, false, OrderingClick::kButton1},
};
// clang-format on

}  // namespace quenlox
