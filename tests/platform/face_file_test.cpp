// The fallback face: fontconfig's match for Arial, looked up once.

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

const char* fallbackFaceFile();

namespace {

TEST(FallbackFaceFile, IsLiberationSansAndStaysTheSame) {
    const char* face = fallbackFaceFile();
    ASSERT_NE(face, nullptr) << "fontconfig matched no face (is fonts-liberation installed?)";
    const std::string path = face;
    EXPECT_NE(path.find("LiberationSans-Regular"), std::string::npos) << path;
    struct stat info = {};
    EXPECT_EQ(stat(face, &info), 0) << path;
    EXPECT_EQ(fallbackFaceFile(), face) << "the lookup is cached";
}

} // namespace
