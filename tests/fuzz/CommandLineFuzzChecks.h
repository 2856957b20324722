#pragma once

#include <string_view>

namespace zamo::fuzz {

// Runs zamo-cli on an argument vector decoded from arbitrary bytes and checks what must hold
// for any: the status is 0, 1 or 2; wrong usage (2) ends with the usage text; every error
// (1) is one line whose message names a file of the arguments (or the example's name, or
// standard output) in front or in "Datei NAME ..."; no control character from the input
// reaches the error stream raw. A broken rule aborts with a message.
//
// The current folder must be a scratch folder of the fuzzer's own. Before each run it gets
// the files a command line may name: "p.zam" (the example project), "l.dat" and "r.dat"
// (the example's data files), and "f.zam" and "f.dat" with the input's file part.
//
// Input layout: the arguments, separated by NUL bytes, up to the first byte 0x01; the bytes
// after it are the file part. Every "-o" value that is not a plain
// name in the scratch folder is replaced by "o.zam", so that nothing outside it is written.
// A run of "optimize" stops before its first pass (the objective has a fuzzer of its own).
void CheckCommandLine(std::string_view bytes);

}  // namespace zamo::fuzz
