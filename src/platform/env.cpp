#include "platform/env.h"

namespace cmdpredict {
namespace {
Env* g_currentEnv = nullptr;
}  // namespace

bool BlockSink::Append(std::string_view piece) {
  if (m_block.size() + piece.size() < kBlockBytes) {
    m_block.append(piece);
    return true;
  }
  if (!Flush()) return false;
  if (piece.size() >= kBlockBytes) return m_write(piece);
  m_block.append(piece);
  return true;
}

bool BlockSink::Flush() {
  if (m_block.empty()) return true;
  const bool written = m_write(m_block);
  m_block.clear();
  return written;
}

bool Env::ReplaceFileFrom(const std::string& path, const ContentWriter& write) {
  StringSink gathered;
  return write(gathered) && ReplaceFile(path, gathered.contents);
}

Env& CurrentEnv() { return g_currentEnv ? *g_currentEnv : SystemEnv(); }

ScopedEnv::ScopedEnv(Env& env) : m_previous(g_currentEnv) { g_currentEnv = &env; }

ScopedEnv::~ScopedEnv() { g_currentEnv = m_previous; }

}  // namespace cmdpredict
