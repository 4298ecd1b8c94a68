// Keeps the process's structured engine pointer across an index build.
#pragma once

class CQAVEngine;

// Puts g_pCQAVEngine back as it was when the keeper was made, whatever the
// scope in between (a build's sorting stage points it at a temporary engine)
// did with it: a build started while an engine is loaded hands the engine
// back untouched.
class EnginePointerKeeper {
public:
    EnginePointerKeeper();
    ~EnginePointerKeeper();
    EnginePointerKeeper(const EnginePointerKeeper&) = delete;
    EnginePointerKeeper& operator=(const EnginePointerKeeper&) = delete;

private:
    CQAVEngine* saved_;
};
