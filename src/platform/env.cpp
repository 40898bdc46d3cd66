#include "platform/env.h"

namespace cmdpredict {
namespace {
Env* g_currentEnv = nullptr;
}  // namespace

Env& CurrentEnv() { return g_currentEnv ? *g_currentEnv : SystemEnv(); }

ScopedEnv::ScopedEnv(Env& env) : m_previous(g_currentEnv) { g_currentEnv = &env; }

ScopedEnv::~ScopedEnv() { g_currentEnv = m_previous; }

}  // namespace cmdpredict
