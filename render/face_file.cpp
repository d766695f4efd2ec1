// Reading a face file whole. Portable: the descriptor calls are the C runtime's on both platforms;
// only the open differs (openFaceForReading, see seams.h).

#include "face_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "seams.h"

namespace {

FaceFile readOpenFace(int descriptor) {
    FaceFile face;
    struct stat status;
    if (fstat(descriptor, &status) != 0) {
        face.outcome = FaceRead::ReadFailed;
        return face;
    }
    if (!S_ISREG(status.st_mode)) {
        face.outcome = FaceRead::NotRegularFile;
        return face;
    }
    if (status.st_size < 0 || static_cast<unsigned long long>(status.st_size) > kMaxFaceFileBytes) {
        face.outcome = FaceRead::TooLarge;
        return face;
    }
    auto bytes = std::make_shared<FaceBytes>(static_cast<size_t>(status.st_size));
    size_t got = 0;
    while (got < bytes->size()) {
        // The size cap keeps the count within the unsigned int the Windows runtime's read takes.
        const auto n = read(descriptor, bytes->data() + got, static_cast<unsigned>(bytes->size() - got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            face.outcome = FaceRead::ReadFailed;
            return face;
        }
        if (n == 0) break; // cut short since the fstat: FreeType judges what there is
        got += static_cast<size_t>(n);
    }
    bytes->resize(got);
    face.outcome = FaceRead::Read;
    face.bytes = std::move(bytes);
    return face;
}

} // namespace

FaceFile readFaceFile(const char* path) {
    if (!path) return FaceFile{};
    const int descriptor = openFaceForReading(path);
    if (descriptor < 0) {
        FaceFile missing;
        missing.outcome = FaceRead::Missing;
        return missing;
    }
    FaceFile face = readOpenFace(descriptor);
    close(descriptor);
    return face;
}
