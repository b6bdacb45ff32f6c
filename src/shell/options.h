#pragma once

namespace Module1 {
// Options file to the dialog's fields; every failing step is skipped.
void LoadOptions();
// The dialog's fields to the options file.
void SaveOptions();
} // namespace Module1
