// The offset records of one segment of an atom result, for the walks of the
// frequency and count builders.
#pragma once

#include <cstdint>
#include <vector>

#include "qav/index/base/qav_log.h"
#include "qav/search/atom/atom_ret.h"
#include "qav/search/atom/make_ret_info.h"

namespace qav {

// Widths of this many bytes or more are no offset records.
constexpr uint8_t kNoRecordWidth = 10;

struct SegmentRecords {
    const unsigned char* first = nullptr;
    int32_t count = 0;
    uint8_t width = 0;
};

// The records of segment s; none (with a log line) when the segment's width
// is no record width, and none when it has no records.
inline SegmentRecords RecordsOfSegment(const CAtomRet& result, int s) {
    const size_t i = static_cast<size_t>(s);
    SegmentRecords out;
    if (result.m_SegWidth[i] >= kNoRecordWidth) {
        QavLog("pAtomRet->m_pnUnitSize[%d]=%u\n", s, static_cast<unsigned>(result.m_SegWidth[i]));
        return out;
    }
    if (result.m_SegCount[i] <= 0 || !result.m_SegRecords[i]) return out;
    out.first = result.m_SegRecords[i] + result.m_SegOffset[i];
    out.count = result.m_SegCount[i];
    out.width = result.m_SegWidth[i];
    return out;
}

// Whether segment i holds offset records: a record width, and records.
inline bool SegmentHasRecords(const CAtomRet& result, size_t i) {
    return result.m_SegWidth[i] < kNoRecordWidth && result.m_SegCount[i] > 0 && result.m_SegRecords[i];
}

// Calls visit(record bytes, width) for the records of every segment in order
// until it returns false; returns whether it did.
template <typename Visit>
bool VisitRawRecords(const CAtomRet& result, Visit&& visit) {
    for (int s = 0; s < result.m_nSegCount; ++s) {
        const SegmentRecords segment = RecordsOfSegment(result, s);
        const unsigned char* record = segment.first;
        for (int32_t i = 0; i < segment.count; ++i, record += segment.width)
            if (!visit(record, segment.width)) return true;
    }
    return false;
}

// The same walk over decoded records: calls stopAfter(record) until it
// returns true; returns whether it did.
template <typename StopAfter>
bool ForEachRecord(const CAtomRet& result, StopAfter&& stopAfter) {
    return VisitRawRecords(result, [&](const unsigned char* record, uint8_t width) {
        return !stopAfter(ReadOffsetRecord(record, width));
    });
}

// Records of the segments RecordsOfSegment gives records of, in order,
// without its log line.
inline int64_t CountSegmentRecords(const CAtomRet& result) {
    int64_t total = 0;
    for (int s = 0; s < result.m_nSegCount; ++s) {
        const size_t i = static_cast<size_t>(s);
        if (SegmentHasRecords(result, i)) total += result.m_SegCount[i];
    }
    return total;
}

// Calls visit(record bytes, width) for the records [from, to) of
// CountSegmentRecords' order until it returns false; returns whether it did.
// Work on one large segment can so be cut into shares.
template <typename Visit>
bool VisitRawRecordsInRange(const CAtomRet& result, int64_t from, int64_t to, Visit&& visit) {
    int64_t first = 0;
    for (int s = 0; s < result.m_nSegCount && first < to; ++s) {
        const size_t i = static_cast<size_t>(s);
        const uint8_t width = result.m_SegWidth[i];
        if (!SegmentHasRecords(result, i)) continue;
        const int64_t end = first + result.m_SegCount[i];
        const int64_t lo = from > first ? from : first;
        const int64_t hi = to < end ? to : end;
        const unsigned char* record = result.m_SegRecords[i] + result.m_SegOffset[i] + (lo - first) * width;
        for (int64_t r = lo; r < hi; ++r, record += width)
            if (!visit(record, width)) return true;
        first = end;
    }
    return false;
}

// The same walk over decoded records: calls stopAfter(record) until it
// returns true; returns whether it did.
template <typename StopAfter>
bool ForEachRecordInRange(const CAtomRet& result, int64_t from, int64_t to, StopAfter&& stopAfter) {
    return VisitRawRecordsInRange(result, from, to, [&](const unsigned char* record, uint8_t width) {
        return !stopAfter(ReadOffsetRecord(record, width));
    });
}

// Calls stopAfter(record) for the records of the given ascending numbers
// (in CountSegmentRecords' order) until it returns true; returns whether it
// did. Numbers beyond the records are passed by.
template <typename StopAfter>
bool ForEachNumberedRecord(const CAtomRet& result, const std::vector<uint32_t>& numbers, StopAfter&& stopAfter) {
    size_t next = 0;
    int64_t first = 0;
    for (int s = 0; s < result.m_nSegCount && next < numbers.size(); ++s) {
        const size_t i = static_cast<size_t>(s);
        const uint8_t width = result.m_SegWidth[i];
        if (!SegmentHasRecords(result, i)) continue;
        const int64_t end = first + result.m_SegCount[i];
        const unsigned char* records = result.m_SegRecords[i] + result.m_SegOffset[i];
        for (; next < numbers.size() && numbers[next] < end; ++next)
            if (stopAfter(ReadOffsetRecord(records + (numbers[next] - first) * width, width))) return true;
        first = end;
    }
    return false;
}

// The same walk in batches of at most Batch decoded records: calls
// stopAfter(records, count) until it returns true; returns whether it did. A
// caller that looks up each record somewhere in memory can ask for the
// places of a whole batch first, so that their waits overlap.
constexpr int kRecordBatch = 16;
template <int Batch = kRecordBatch, typename StopAfter>
bool ForEachRecordBatchInRange(const CAtomRet& result, int64_t from, int64_t to, StopAfter&& stopAfter) {
    OffsetRecordInfo batch[Batch];
    int count = 0;
    const bool stopped = VisitRawRecordsInRange(result, from, to, [&](const unsigned char* record, uint8_t width) {
        batch[count++] = ReadOffsetRecord(record, width);
        if (count < Batch) return true;
        count = 0;
        return !stopAfter(static_cast<const OffsetRecordInfo*>(batch), Batch);
    });
    if (stopped) return true;
    return count > 0 && stopAfter(static_cast<const OffsetRecordInfo*>(batch), count);
}

}  // namespace qav
