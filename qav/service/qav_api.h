// State of the exported life-cycle functions (QAV_Init, QAV_RunQAV,
// QAV_IndexQAV, QAV_Exit in include/qavlib.h).
#pragma once

namespace qav {

// 1 while the engine runs because these functions started it. The HTTP
// service starts and stops the engine on its own and must leave this clear
// when it ends.
extern unsigned char g_bIsInit;

}  // namespace qav
