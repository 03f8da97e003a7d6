#include "system/doublebyte.h"

bool DoubleByteLocale = false;
TByteSet LeadByteSet;

void AddLeadByteRanges(const BYTE (&leadBytes)[MAX_LEADBYTES]) {
    for (int pair = 0; pair < MAX_LEADBYTES; pair += 2) {
        BYTE low = leadBytes[pair], high = leadBytes[pair + 1];
        if (low == 0 && high == 0) break;
        for (int value = low; value <= high; ++value)
            LeadByteSet.Include(static_cast<BYTE>(value));
    }
}

void StartDoubleByteModule() {
    DoubleByteLocale = GetSystemMetrics(SM_DBCSENABLED) != 0;
    if (!DoubleByteLocale) return;
    // The query's result is not tested: a failed query leaves the array zeroed.
    CPINFO info{};
    GetCPInfo(CP_ACP, &info);
    AddLeadByteRanges(info.LeadByte);
}

TByteRole ClassifyByte(const std::string& s, int index) {
    return ClassifyByteZ(s.c_str(), index - 1);
}

TByteRole ClassifyByteZ(const char* p, int index) {
    // Without double-byte support the lead-byte set is never consulted.
    if (!DoubleByteLocale || !p || p[index] == 0) return brSingle;
    auto isLead = [p](int i) { return LeadByteSet.Contains(static_cast<BYTE>(p[i])); };
    if (index == 0) return isLead(0) ? brLead : brSingle;
    // The lead-set bytes directly before the byte pair up from the start of
    // their run: an odd number of them makes this byte a trail byte.
    int j = index - 1;
    while (j >= 0 && isLead(j))
        --j;
    if ((index - j) % 2 == 0) return brTrail;
    return isLead(index) ? brLead : brSingle;
}
