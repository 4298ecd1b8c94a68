#include "qav/index/format/unit_index_file.h"

#include "qav/index/format/index_text_lines.h"
#include "qav/index/base/qav_log.h"
#include "qav/index/format/word.h"

namespace qav {

namespace {

constexpr uint32_t kNameLimit = kMaxWordTextBytes + 1;
// Smallest entry sizes: a unit with an empty name, a complex unit with an
// empty key and no children, a child with an empty name.
constexpr uint64_t kMinUnitBytes = 4 + 8 + 4 + 4 + 1;
constexpr uint64_t kMinComplexBytes = 4 + 4;
constexpr uint64_t kMinChildBytes = 4;

bool ReadUnits(qz::BinaryFileReader& in, UnitIndex* index) {
    uint32_t n;
    if (!in.U32(&n) || n > in.remaining() / kMinUnitBytes) return false;
    index->units.resize(n);
    for (UnitIndexEntry& unit : index->units) {
        if (!in.LengthText(kNameLimit, &unit.name) || !in.I64(&unit.offset) || !in.I32(&unit.count) ||
            !in.I32(&unit.type) || !in.U8(&unit.file_no))
            return false;
    }
    uint32_t m;
    if (!in.U32(&m) || m > in.remaining() / kMinComplexBytes) return false;
    index->complex_units.resize(m);
    for (ComplexUnitEntry& complex : index->complex_units) {
        uint32_t k;
        if (!in.LengthText(kNameLimit, &complex.key) || !in.U32(&k) || k > in.remaining() / kMinChildBytes)
            return false;
        complex.children.resize(k);
        for (std::string& child : complex.children)
            if (!in.LengthText(kNameLimit, &child)) return false;
    }
    return in.AtEnd();
}

}  // namespace

bool UnitIndexWriter::Create(const std::string& path, const std::string& textPrefix, uint32_t unitCount) {
    const std::string textPath = textPrefix + "_txt";
    text_.reset(std::fopen(textPath.c_str(), "wb"));
    if (!text_) return false;
    if (!out_.Create(path)) {
        text_.reset();
        return false;
    }
    ok_ = true;
    units_left_ = unitCount;
    out_.U32(unitCount);
    return true;
}

void UnitIndexWriter::Name(std::string_view name) {
    if (name.size() >= kNameLimit) ok_ = false;
    out_.U32(static_cast<uint32_t>(name.size()));
    out_.Bytes(name.data(), name.size());
}

void UnitIndexWriter::AddUnit(const UnitIndexEntry& unit) {
    if (!text_ || complex_begun_ || units_left_ == 0) {
        ok_ = false;
        return;
    }
    --units_left_;
    Name(unit.name);
    out_.I64(unit.offset);
    out_.I32(unit.count);
    out_.I32(unit.type);
    out_.U8(unit.file_no);
    const std::string line = CountLine(unit.name, unit.count);
    if (std::fwrite(line.data(), 1, line.size(), text_.get()) != line.size()) ok_ = false;
}

void UnitIndexWriter::BeginComplex(uint32_t complexCount) {
    if (!text_ || complex_begun_ || units_left_ != 0) ok_ = false;
    complex_begun_ = true;
    complex_left_ = complexCount;
    out_.U32(complexCount);
}

void UnitIndexWriter::AddComplex(std::string_view key, const std::vector<std::string>& children) {
    if (!complex_begun_ || complex_left_ == 0) {
        ok_ = false;
        return;
    }
    --complex_left_;
    Name(key);
    out_.U32(static_cast<uint32_t>(children.size()));
    for (const std::string& child : children) Name(child);
}

bool UnitIndexWriter::Close() {
    if (!text_) return false;
    bool ok = ok_ && complex_begun_ && complex_left_ == 0;
    ok = std::fclose(text_.release()) == 0 && ok;
    return out_.Close() && ok;
}

bool WriteUnitIndexFile(const std::string& path, const std::string& textPrefix, const UnitIndex& index) {
    UnitIndexWriter writer;
    if (!writer.Create(path, textPrefix, static_cast<uint32_t>(index.units.size()))) return false;
    for (const UnitIndexEntry& unit : index.units) writer.AddUnit(unit);
    writer.BeginComplex(static_cast<uint32_t>(index.complex_units.size()));
    for (const ComplexUnitEntry& complex : index.complex_units) writer.AddComplex(complex.key, complex.children);
    return writer.Close();
}

bool ReadUnitIndexFile(const std::string& path, UnitIndex* index) {
    *index = UnitIndex();
    qz::BinaryFileReader in;
    if (!in.Open(path) || !ReadUnits(in, index)) {
        *index = UnitIndex();
        QavLog("Error open %s !\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace qav
