#include "shell/options.h"

namespace Module1 {
void LoadOptions() {}
void SaveOptions() {}
} // namespace Module1
