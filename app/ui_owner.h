// The plug-in framework's UI owner word: a 32-bit value shared by every process of the
// device's plug-in environment, kept in "/var/run/uipidshm" and mapped into memory. It
// names the process that owns the screen; writing 0 hands the screen back to the
// navigator.
#pragma once

#include <cstdint>

namespace kelvaro {

// The word; the first use maps the file, creating it holding 0 when it does not exist
// ("Opening in MASTER mode") or taking the existing one ("Opening in SLAVE mode"). When
// the file can be neither created nor opened the process ends with status 1.
[[nodiscard]] int32_t uiOwner();

// Sets the word to 0 unless it already is.
void releaseUiOwner();

// Unmaps the word; the next use maps the file again.
void closeUiOwner();

}  // namespace kelvaro
