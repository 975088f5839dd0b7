// What the command line asks of a run of the desktop program.
#pragma once

namespace mw {

struct StartOptions {
  bool windowed = false;  // start in the windowed presentation (F11 still switches)
  bool mute = false;      // start with sound off and open no sound device
  bool hint = true;       // show the start hint
};

}  // namespace mw
