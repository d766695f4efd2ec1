// The face file read whole, once: what is read, what is turned away, and the labels sharing one read.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "face_file.h"
#include "offscreen_gl.h"
#include "render_hooks.h"
#include "scratch_dir.h"

namespace {

namespace fs = std::filesystem;

FaceBytes fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return FaceBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(FaceFileRead, ReadsARegularFileWholeAndKeepsItsBytesWhenTheFileChanges) {
    const Scratch scratch("tessivar_face_read");
    const std::string copy = scratch / "face.ttf";
    fs::copy_file(kTestFace, copy);
    const FaceFile face = readFaceFile(copy.c_str());
    ASSERT_EQ(face.outcome, FaceRead::Read);
    EXPECT_EQ(*face.bytes, fileBytes(kTestFace));

    ASSERT_EQ(truncate(copy.c_str(), 0), 0);
    EXPECT_EQ(*face.bytes, fileBytes(kTestFace)) << "the bytes follow the file";
}

TEST(FaceFileRead, TurnsAwayWhatIsNoRegularFileOrIsTooLarge) {
    const Scratch scratch("tessivar_face_kinds");
    const std::string fifo = scratch / "fifo.ttf";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Sparse, so the test writes nothing; one byte over the cap.
    const std::string huge = scratch / "huge.ttf";
    ASSERT_EQ(close(open(huge.c_str(), O_CREAT | O_WRONLY, 0600)), 0);
    ASSERT_EQ(truncate(huge.c_str(), static_cast<off_t>(kMaxFaceFileBytes + 1)), 0);

    EXPECT_EQ(readFaceFile(fifo.c_str()).outcome, FaceRead::NotRegularFile);
    EXPECT_EQ(readFaceFile(fs::temp_directory_path().c_str()).outcome, FaceRead::NotRegularFile);
    EXPECT_EQ(readFaceFile("/dev/zero").outcome, FaceRead::NotRegularFile);
    EXPECT_EQ(readFaceFile(huge.c_str()).outcome, FaceRead::TooLarge);
    EXPECT_EQ(readFaceFile((scratch / "missing.ttf").c_str()).outcome, FaceRead::Missing);
    EXPECT_EQ(readFaceFile(nullptr).outcome, FaceRead::NoPath);
    for (const char* path : {fifo.c_str(), huge.c_str(), "/dev/zero"})
        EXPECT_TRUE(readFaceFile(path).bytes->empty()) << path;
}

TEST(FaceFileRead, TheGaugesLabelsShareOneRead) {
    AngleGauge g;
    createGaugeLabelsFromFile(g, kTestFace);
    ASSERT_TRUE(g.fpsLabel.ready && g.angleLabel.ready && g.coordLabel.ready);
    EXPECT_FALSE(g.fpsLabel.face->empty());
    EXPECT_EQ(g.angleLabel.face, g.fpsLabel.face);
    EXPECT_EQ(g.coordLabel.face, g.fpsLabel.face);
    releaseGaugeLabels(g);
    EXPECT_EQ(g.fpsLabel.face, nullptr);
}
