// The three block items and the nine captions that are both their display and their state.
#pragma once

namespace quenlox {

// Index of the block's item in PopupMenu1.
enum class BlockKind { kWindowPop = 0, kInLine = 1, kBrowserPop = 2 };
enum class BlockState { kNotApplicable, kNotBlocked, kBlocked };

const char* BlockCaption(BlockKind kind, BlockState state);

}  // namespace quenlox
