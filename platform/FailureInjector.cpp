#include "FailureInjector.h"

namespace plat
{

void FailureInjector::FailCall(Operation op, uint32_t nth, Result result, uint32_t times)
{
    if (nth == 0 || times == 0 || result == Result::Ok)
        return;
    const uint64_t first = uint64_t{Calls(op)} + nth;
    m_rules.push_back({op, first, first + times - 1, result});
}

void FailureInjector::Reset()
{
    m_rules.clear();
    for (uint32_t& c : m_calls)
        c = 0;
}

Result FailureInjector::Check(Operation op)
{
    const uint64_t call = ++m_calls[static_cast<uint32_t>(op)];
    for (const Rule& rule : m_rules)
    {
        if (rule.op == op && call >= rule.first && call <= rule.last)
            return rule.result;
    }
    return Result::Ok;
}

} // namespace plat
