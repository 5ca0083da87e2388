// The advertising host names the in-line block maps away, compiled in from resources/adservers.txt.
#pragma once

namespace quenlox {

// One lower-case host name per line, each line ending in '\n'.
extern const char kAdServerList[];

}  // namespace quenlox
