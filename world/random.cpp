// The world's random generator, step for step as glibc's srand() and rand() (random_r.c, TYPE_3).
#include "world/random.h"

namespace mw {

void RandomGenerator::seed(uint32_t value) {
  if (value == 0) value = 1;
  // Each word is 16807 times the last modulo 2^31 - 1, by Schrage's method without overflow. As in
  // glibc, the seed enters as a signed 32-bit word: one above 2^31 - 1 starts negative, and division
  // truncates toward zero.
  int32_t word = static_cast<int32_t>(value);
  state_[0] = value;
  for (int i = 1; i < DEGREE; ++i) {
    const int32_t hi = word / 127773;
    const int32_t lo = word % 127773;
    word = 16807 * lo - 2836 * hi;
    if (word < 0) word += 2147483647;
    state_[i] = static_cast<uint32_t>(word);
  }
  front_ = SEPARATION;
  rear_ = 0;
  // The first 310 outputs are thrown away.
  for (int i = 0; i < 10 * DEGREE; ++i) next();
}

int32_t RandomGenerator::next() {
  state_[front_] += state_[rear_];  // modulo 2^32
  const int32_t result = static_cast<int32_t>(state_[front_] >> 1);
  if (++front_ == DEGREE) front_ = 0;
  if (++rear_ == DEGREE) rear_ = 0;
  return result;
}

}  // namespace mw
