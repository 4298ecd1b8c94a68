#include "qav/service/lua/query_bounds.h"

#include "qav/index/base/config.h"
#include "qav/index/engine/qav_engine.h"
#include "qav/search/filter/query_clock.h"

namespace qav {

namespace {

const CSizeInfo& Sizes() {
    static const CSizeInfo defaults;
    return g_pCQAVEngine ? g_pCQAVEngine->m_config.m_SizeInfo : defaults;
}

int PositiveOr(int value, int fallback) { return value > 0 ? value : fallback; }

}  // namespace

size_t QavLuaMemoryLimitBytes() {
    static const CSizeInfo defaults;
    const int megabytes = PositiveOr(Sizes().LuaMemoryLimitMB, defaults.LuaMemoryLimitMB);
    return static_cast<size_t>(megabytes) << 20;
}

int QavQueryTimeLimitMs() {
    static const CSizeInfo defaults;
    if (g_nQueryTimeoutMs > 0) return g_nQueryTimeoutMs;
    return PositiveOr(Sizes().QueryTimeLimitMs, defaults.QueryTimeLimitMs);
}

std::chrono::steady_clock::time_point QavQueryDeadline() {
    return g_queryStartTime + std::chrono::milliseconds(QavQueryTimeLimitMs());
}

}  // namespace qav
