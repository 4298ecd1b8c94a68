#include "qav/index/format/data_file.h"

namespace qav {

namespace {

// The marker as UTF-8 bytes, without its first four characters ("HEAD" or
// "Tail"): "-----MORVALDEN-----于TESSOLMARIVANDE----2019年春节".
const char kMarkerRest[] =
    "-----MORVALDEN-----"
    "\xE4\xBA\x8E"
    "TESSOLMARIVANDE----2019"
    "\xE5\xB9\xB4\xE6\x98\xA5\xE8\x8A\x82";
static_assert(sizeof kMarkerRest - 1 + 4 == kDataMarkerBytes, "marker is 58 bytes");

bool WriteBlock(std::FILE* file, const std::string& block) {
    return std::fwrite(block.data(), 1, block.size(), file) == block.size();
}

}  // namespace

std::string DataHeaderBlock() {
    std::string block = std::string("HEAD") + kMarkerRest;
    block.resize(kDataBlockBytes, '\xFF');
    return block;
}

std::string DataTailBlock() {
    std::string block(kDataBlockBytes - kDataMarkerBytes, '\xFF');
    return block + "Tail" + kMarkerRest;
}

bool WriteHeader(std::FILE* file) { return WriteBlock(file, DataHeaderBlock()); }

bool WriteTail(std::FILE* file) { return WriteBlock(file, DataTailBlock()); }

}  // namespace qav
