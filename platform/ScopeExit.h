#pragma once

// Runs a closing step on every path out of a scope, an exception included.

#include <utility>

template <typename F>
class ScopeExit
{
public:
    explicit ScopeExit(F f)
        : m_f(std::move(f))
    {
    }
    ~ScopeExit() { m_f(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F m_f;
};
