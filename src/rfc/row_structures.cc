// The row structures as they are described to the RFC library. The library
// works out the offsets itself (natural alignment), so every offset is 0.
#include "rfc/row_structures.h"

namespace qm {

const RfcTypeElement kCpuAllElements[13] = {
    {"TYPE", kRfcTypeInt2, 2, 0, 0},      {"SUBTYPE", kRfcTypeInt2, 2, 0, 0},
    {"SERIALNR", kRfcTypeInt2, 2, 0, 0},  {"NBR_CPU", kRfcTypeInt, 4, 0, 0},
    {"LOAD1_AVG", kRfcTypeInt, 4, 0, 0},  {"LOAD5_AVG", kRfcTypeInt, 4, 0, 0},
    {"LOAD15_AVG", kRfcTypeInt, 4, 0, 0}, {"INT_SEC", kRfcTypeInt, 4, 0, 0},
    {"SYSC_SEC", kRfcTypeInt, 4, 0, 0},   {"CS_SEC", kRfcTypeInt, 4, 0, 0},
    {"USR_TOTAL", kRfcTypeInt, 4, 0, 0},  {"SYS_TOTAL", kRfcTypeInt, 4, 0, 0},
    {"IDLE_TOTAL", kRfcTypeInt, 4, 0, 0},
};

const RfcTypeElement kTopSingleElements[11] = {
    {"TYPE", kRfcTypeInt2, 2, 0, 0},      {"SUBTYPE", kRfcTypeInt2, 2, 0, 0},
    {"SERIALNR", kRfcTypeInt2, 2, 0, 0},  {"PROC_ID", kRfcTypeInt, 4, 0, 0},
    {"USERNAME", kRfcTypeChar, 12, 0, 0}, {"COMMAND", kRfcTypeChar, 20, 0, 0},
    {"CPU_UTIL", kRfcTypeInt, 4, 0, 0},   {"CPU_TIME", kRfcTypeChar, 8, 0, 0},
    {"RES_SIZE", kRfcTypeInt, 4, 0, 0},   {"PRIORITY", kRfcTypeInt, 4, 0, 0},
    {"PRIV_PAGES", kRfcTypeInt, 4, 0, 0},
};

}  // namespace qm
