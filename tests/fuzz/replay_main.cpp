// Replays a fuzz target's seed corpus and every input that ever crashed it, as an ordinary test.
#include <dirent.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    int files = 0;
    for (int a = 1; a < argc; ++a) {
        DIR* dir = opendir(argv[a]);
        if (!dir) continue;  // a target may have no crash folder yet
        std::vector<std::string> names;
        while (dirent* e = readdir(dir)) {
            if (e->d_name[0] != '.') names.push_back(std::string(argv[a]) + "/" + e->d_name);
        }
        closedir(dir);
        for (const std::string& name : names) {
            std::ifstream in(name, std::ios::binary);
            std::stringstream s;
            s << in.rdbuf();
            const std::string bytes = s.str();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            ++files;
        }
    }
    std::printf("replayed %d inputs\n", files);
    return files > 0 ? 0 : 1;
}
