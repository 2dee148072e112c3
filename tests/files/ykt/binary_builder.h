// Builds binary YKT files record by record for the reader tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace torvel::test {

struct Bytes32 {
    std::vector<uint8_t> data;
    Bytes32& Int(int32_t v) {
        const auto* p = reinterpret_cast<const uint8_t*>(&v);
        data.insert(data.end(), p, p + 4);
        return *this;
    }
    Bytes32& Float(float v) {
        const auto* p = reinterpret_cast<const uint8_t*>(&v);
        data.insert(data.end(), p, p + 4);
        return *this;
    }
    Bytes32& Byte(uint8_t v) {
        data.push_back(v);
        return *this;
    }
    Bytes32& String(const std::string& s) {
        Int(static_cast<int32_t>(s.size() + 1));
        data.insert(data.end(), s.begin(), s.end());
        data.push_back(0);
        return *this;
    }
};

struct BinaryFile {
    std::vector<uint8_t> records;
    int32_t count = 0;

    BinaryFile& Record(const std::string& name, const std::vector<uint8_t>& data) {
        Bytes32 b;
        b.String(name).Int(static_cast<int32_t>(data.size()));
        records.insert(records.end(), b.data.begin(), b.data.end());
        records.insert(records.end(), data.begin(), data.end());
        ++count;
        return *this;
    }
    BinaryFile& Record(const std::string& name, const Bytes32& data) { return Record(name, data.data); }
    BinaryFile& Int(const std::string& name, int32_t v) { return Record(name, Bytes32().Int(v)); }

    std::vector<uint8_t> Build(int32_t record_count = -1) const {
        Bytes32 head;
        head.data = {'Y', 'K', 'T', 0};
        head.Int(record_count < 0 ? count : record_count);
        std::vector<uint8_t> out = head.data;
        out.insert(out.end(), records.begin(), records.end());
        return out;
    }
};

// The records of one parts with one triangle, after the parts count.
inline void AppendMesh(BinaryFile& f) {
    f.Int("total_vertex_count", 3);
    f.Int("total_face_count", 1);
    f.Record("parts_name", Bytes32().String("tri"));
    f.Int("vertex_count", 3);
    f.Int("face_count", 1);
    Bytes32 v;
    for (int k = 0; k < 3; ++k) v.Float(static_cast<float>(k)).Float(0).Float(0);
    f.Record("vertices", v);
    f.Record("faces", Bytes32().Int(0).Int(1).Int(2).Int(-1));
}

// One parts with one triangle, the smallest model the reader accepts.
inline BinaryFile MinimalBinary() {
    BinaryFile f;
    f.Record("version", Bytes32().String("1.61"));
    f.Int("parts_count", 1);
    AppendMesh(f);
    return f;
}

}  // namespace torvel::test
