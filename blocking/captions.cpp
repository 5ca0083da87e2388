#include "blocking/captions.h"

#include "resources/texts.h"

namespace quenlox {

const char* BlockCaption(BlockKind kind, BlockState state) {
  static const char* const kTable[3][3] = {
      {texts::kWindowPopNotApplicable, texts::kWindowPopNotBlocked, texts::kWindowPopBlocked},
      {texts::kInLineNotApplicable, texts::kInLineNotBlocked, texts::kInLineBlocked},
      {texts::kBrowserPopNotApplicable, texts::kBrowserPopNotBlocked, texts::kBrowserPopBlocked},
  };
  return kTable[static_cast<int>(kind)][static_cast<int>(state)];
}

}  // namespace quenlox
