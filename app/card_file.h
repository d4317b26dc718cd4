// Writes that leave a file whole whatever the card does: a record appended in full or not
// at all, and a file replaced as a whole. Every change goes through the platform's file
// calls.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace kelvaro {

// Writes every byte, going on after a write that took only part; false at the first write
// that fails.
[[nodiscard]] bool writeWhole(int fd, const char* bytes, size_t size);

// Appends the bytes to the end of an open regular file as one record. When the card takes
// only part of them, the file is cut back to its length before, so that the next record
// does not follow a torn one. False when the record is not on the card.
bool appendRecord(int fd, const std::string& bytes);

// How a file of records is laid out: a head of `headLines` lines, then records that each
// end with the line `recordEnd`, or at every line when that is empty.
struct RecordLayout {
    size_t headLines = 0;
    const char* recordEnd = "";
};

// A power cut in the middle of a write leaves part of a record at the end of a file, and
// the next record would be glued to it. Before records are added to a file that a run
// before may have left, it is cut back to the end of its last whole record, or emptied
// when not even its head is whole, so that the head is written again.
void cutToWholeRecords(const std::string& hostPath, RecordLayout layout);

// Replaces the file by the content: the content goes to a file beside it (the path and
// ".new"), is synced and then renamed over the old one, so that a failure or a cut leaves
// either the old file or the new one. False, with the old file kept, when it fails.
bool replaceFile(const std::string& hostPath, const std::string& content);
// The same with the content written by a function into the new file's descriptor; false
// from it counts as a failure.
bool replaceFile(const std::string& hostPath, const std::function<bool(int fd)>& writeContent);

}  // namespace kelvaro
