// The libFuzzer entry of one fuzz executable: runs the target named by
// QM_FUZZ_TARGET, set per executable when it is built.
#include <cstddef>
#include <cstdint>

#include "fuzz_targets.h"

#ifndef QM_FUZZ_TARGET
#error "QM_FUZZ_TARGET names the target this executable runs"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const qm::fuzz::FuzzTarget* target = qm::fuzz::FindTarget(QM_FUZZ_TARGET);
  qm::fuzz::Require(target != nullptr, "the target is known", QM_FUZZ_TARGET);
  target->run(data, size);
  return 0;
}
