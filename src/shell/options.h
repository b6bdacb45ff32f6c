#pragma once

namespace Module1 {
// The options file into the live options (and so the Options dialog's
// fields); every failing step is skipped.
void LoadOptions();
// The live options into the options file; a failure is reported.
void SaveOptions();
} // namespace Module1
