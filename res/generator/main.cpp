// tessivar_resgen: draws the icon into an ICO file and writes the Linux layer's resource tables.
// Usage: tessivar_resgen <tessivar.rc> <resource_ids.h> <out.ico> <out.cpp>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "icon_art.h"
#include "icon_files.h"
#include "rc_script.h"
#include "table_source.h"

namespace {

// Largest first, as the icon directory lists them.
constexpr int kIconSizes[] = {256, 48, 32, 16};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw RcError("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw RcError("cannot write " + path);
}

std::string baseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

RcScript readScript(const std::string& rcPath, const std::string& idsPath) {
    const RcDefines defines = readDefines(readFile(idsPath));
    try {
        return readRcScript(readFile(rcPath), defines);
    } catch (const RcError& error) {
        throw RcError(rcPath + ", " + error.what());
    }
}

// The script's one icon, which must name the file we are about to write.
const RcIcon& theIcon(const RcScript& script, const std::string& icoPath) {
    if (script.icons.size() != 1) throw RcError("the script must have exactly one ICON statement");
    if (baseName(script.icons[0].file) != baseName(icoPath))
        throw RcError("the ICON statement names " + script.icons[0].file + ", not " + baseName(icoPath));
    return script.icons[0];
}

void checkAcceleratorTables(const RcScript& script) {
    if (script.acceleratorTables.empty()) throw RcError("the script has no ACCELERATORS table");
    for (const RcAcceleratorTable& table : script.acceleratorTables)
        if (table.entries.empty()) throw RcError("accelerator table " + std::to_string(table.id) + " is empty");
}

int run(const std::string& rcPath, const std::string& idsPath, const std::string& icoPath,
        const std::string& sourcePath) {
    const RcScript script = readScript(rcPath, idsPath);
    const RcIcon& icon = theIcon(script, icoPath);
    checkAcceleratorTables(script);

    std::vector<IconPixels> images;
    for (int size : kIconSizes) images.push_back({size, drawRingIcon(size)});

    const std::vector<uint8_t> ico = encodeIco(images);
    writeFile(icoPath, std::string(ico.begin(), ico.end()));
    writeFile(sourcePath, writeTableSource(icon.id, images, script.acceleratorTables));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <tessivar.rc> <resource_ids.h> <out.ico> <out.cpp>\n", argv[0]);
        return 2;
    }
    try {
        return run(argv[1], argv[2], argv[3], argv[4]);
    } catch (const RcError& error) {
        std::fprintf(stderr, "tessivar_resgen: %s\n", error.what());
        return 1;
    }
}
