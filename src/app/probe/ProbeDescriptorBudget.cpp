#include "ProbeDescriptorBudget.h"

#include "UntProbeThread.h"

ProbeDescriptorBudget::ProbeDescriptorBudget()
{
    count();
}

int ProbeDescriptorBudget::room()
{
    const auto spare = [this] {
        return platform::descriptorLimit() - (m_counted + m_changeSinceCount) -
               probe_limits::ReservedDescriptors;
    };
    const auto sinceCount = Clock::now() - m_countedAt;
    if (sinceCount >= CountInterval || (spare() <= 0 && sinceCount >= ShortCountInterval))
        count();
    return spare();
}

void ProbeDescriptorBudget::count()
{
    const int inUse = m_descriptors.inUse();
    // Descriptors that cannot be counted are taken as all in use: the probe
    // then takes no more connections rather than risk the process.
    m_counted = inUse >= 0 ? inUse : platform::descriptorLimit();
    m_changeSinceCount = 0;
    m_countedAt = Clock::now();
}
