#pragma once

#include <string_view>

namespace zamo::fuzz {

// Runs zamo-cli on an argument vector decoded from arbitrary bytes and checks what must hold
// for any: the status is 0, 1 or 2; wrong usage (2) ends with the usage text; an error (1)
// names a file of the arguments, the example or standard output; no control character of
// the input reaches the error stream raw. A broken rule aborts with a message.
//
// The current folder must be a scratch folder of the fuzzer's own; before each run it gets
// "p.zam" (the example), "l.dat" and "r.dat" (its data files), "f.zam" and "f.dat" (the
// input's file part). Input: the arguments separated by NUL bytes, up to the first 0x01,
// then the file part. An "-o" value other than a plain name there becomes "o.zam"; a run
// of "optimize" stops before its first pass (the objective has a fuzzer of its own).
void CheckCommandLine(std::string_view bytes);

}  // namespace zamo::fuzz
