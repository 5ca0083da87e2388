#!/usr/bin/env bash
# The C++ sources keep the house style of .clang-format; prints the files that do not.
set -u
cd "$(dirname "$0")/.."
status=0
while IFS= read -r file; do
  if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
    echo "not in the house style (clang-format -i $file): $file"
    status=1
  fi
done < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find app blocking ordering platform resources tests -name '*.cpp' -o -name '*.h')
[ $status -eq 0 ] && echo "format: every C++ file in the house style"
exit $status
