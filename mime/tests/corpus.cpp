#include "mime/tests/corpus.h"

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace Orvanta::Mime::Test {

const char* const pythonCorpus = "/usr/lib/python3.11/test/test_email/data";

std::string ownCorpus() {
    std::string here = __FILE__;
    return here.substr(0, here.rfind('/')) + "/messages";
}

std::vector<std::string> files(const std::string& folder, const std::string& prefix,
                               const std::string& suffix) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > prefix.size() + suffix.size() && name.rfind(prefix, 0) == 0 &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace Orvanta::Mime::Test
