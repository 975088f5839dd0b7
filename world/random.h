// The world's random generator: the sequence of glibc's rand() after srand(seed), on every platform.
#pragma once
#include <cstdint>

namespace mw {

// glibc's default generator (an additive feedback generator over 31 words), written out so that a
// seed plays the same game with any C library. Holds no pointers: copying it copies the sequence.
class RandomGenerator {
 public:
  static constexpr int32_t MAX = 2147483647;  // the largest value next() gives (glibc's RAND_MAX)

  RandomGenerator() { seed(1); }
  // Starts the sequence that srand(value) starts; 0 acts as 1.
  void seed(uint32_t value);
  // The next value, 0 to MAX: what rand() would give.
  int32_t next();
  // Equal generators give equal sequences from here on.
  bool operator==(const RandomGenerator&) const = default;

 private:
  static constexpr int DEGREE = 31;  // words of state
  static constexpr int SEPARATION = 3;
  uint32_t state_[DEGREE] = {};
  int front_ = SEPARATION;  // the word that is added to and returned
  int rear_ = 0;            // the word added to it
};

}  // namespace mw
