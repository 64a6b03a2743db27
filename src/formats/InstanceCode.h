#pragma once

#include <string>

#include "formats/Instance.h"

namespace jobshop {

// The instance as the web edition's address carries it (#i=CODE), so that a
// link opens exactly this instance there: version "1", then base64url
// without padding of a bit stream, most significant bit first:
//   varint  the name's length, then its bytes (8 bits each)
//   varint  jobs, machines
//   bit     1 when every job visits machines 1 ... m once each (m <= 64)
//   varint  zigzag of the least time; 6 bits: the width w of a time; then
//           every time as (p - least) in w bits
//   the machines, job by job: for a job visiting each machine once, the
//           index of each machine among those the job has not visited yet,
//           in as few bits as that many choices need; otherwise the least
//           machine number and a width as for the times, then every M
// A varint is 7 bits at a time, least significant group first, each after
// a bit that says whether more follow. The page's decoder
// (src/driver/web/js/instance-code.js) reads it back.
std::string InstanceCode(const Instance& instance);

}  // namespace jobshop
