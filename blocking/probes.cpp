#include "blocking/probes.h"

namespace quenlox {

BlockState ProbeRegistryBlock(TRegistry& registry, const RegistryBlock& block) {
  registry.SetRootKey(block.root);
  if (!registry.OpenKey(block.key)) return BlockState::kNotApplicable;
  BlockState state = BlockState::kNotApplicable;
  if (registry.ValueExists(block.value))
    state = registry.ReadInteger(block.value) == block.blocked ? BlockState::kBlocked
                                                               : BlockState::kNotBlocked;
  registry.CloseKey();
  return state;
}

}  // namespace quenlox
