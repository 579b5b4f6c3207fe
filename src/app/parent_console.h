#pragma once

// A Windows GUI program has no console of its own: when started from one, its options' output
// and its one-line messages go to that console. Nothing when there is none or the output is
// redirected.
void UseParentConsole();
