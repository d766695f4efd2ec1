#pragma once
// A TrueType face file read whole into memory, once, for every font made from it.

#include <cstddef>
#include <memory>
#include <vector>

using FaceBytes = std::vector<unsigned char>;

// The largest face file read. The biggest single faces in common use (pan-CJK collections, the
// Unicode-wide system faces) are 20 to 30 MB; anything past 64 MiB under a face's name is some other
// file, and reading it would hold up start-up and pin its size in memory for the program's life.
constexpr size_t kMaxFaceFileBytes = size_t{64} << 20;

enum class FaceRead {
    Read,           // the whole file is in bytes (FreeType still judges whether it is a face)
    NoPath,         // no path was given
    Missing,        // the path could not be opened
    NotRegularFile, // a FIFO, directory or device: never read, since a read could wait for ever
    TooLarge,       // a regular file over kMaxFaceFileBytes
    ReadFailed,     // the file could not be read to its end
};

struct FaceFile {
    FaceRead outcome = FaceRead::NoPath;
    // The file's bytes, shared by every font made from them; empty unless outcome is Read.
    std::shared_ptr<const FaceBytes> bytes = std::make_shared<const FaceBytes>();
};

// Opens the path once without waiting (a FIFO or device under the name cannot block the open),
// accepts only a regular file of at most kMaxFaceFileBytes, reads it whole and closes it, so a file
// changed, truncated or replaced afterwards changes nothing for the fonts.
FaceFile readFaceFile(const char* path);
