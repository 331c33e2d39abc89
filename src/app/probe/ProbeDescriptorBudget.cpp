#include "ProbeDescriptorBudget.h"

#include "UntProbeThread.h"

ProbeDescriptorBudget::ProbeDescriptorBudget()
{
    count();
}

int ProbeDescriptorBudget::room()
{
    const auto sinceCount = Clock::now() - m_countedAt;
    if (sinceCount >= CountInterval || (spare() <= 0 && sinceCount >= ShortCountInterval))
        count();
    return spare();
}

int ProbeDescriptorBudget::roomByCountNow()
{
    count();
    return spare();
}

int ProbeDescriptorBudget::spare() const
{
    const int limit = platform::descriptorLimit();
    return limit - (m_counted + m_changeSinceCount) - probe_limits::reservedDescriptors(limit);
}

void ProbeDescriptorBudget::count()
{
    const int inUse = m_descriptors.inUse();
    m_countFailed = inUse < 0;
    // Descriptors that cannot be counted are taken as all in use: the probe
    // then takes no more connections rather than risk the process.
    m_counted = m_countFailed ? platform::descriptorLimit() : inUse;
    m_changeSinceCount = 0;
    m_countedAt = Clock::now();
}
