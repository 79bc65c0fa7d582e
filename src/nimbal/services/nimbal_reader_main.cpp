// nimbal-reader: the process the core spawns to read files and run kernel
// operations that may crash or spin (see drulen_reader.hpp). Its argument is
// the host's process id; requests arrive on descriptor 3.
#include <csignal>
#include <cstdlib>
#include <string>

#include <sys/prctl.h>
#include <unistd.h>

#include "nimbal/services/drulen_reader.hpp"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  // Ends with its host: the signal for a host that ends from now on, the
  // check for one that ended before.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (std::to_string(::getppid()) != argv[1]) return 4;
  return nimbal::services::reader::serve(3);
}
