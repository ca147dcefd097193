#pragma once

// Whoever started the program may have gone away with the reading end of its stderr (an
// idle daemon that quit). A write there then fails, and a failed warning is no reason to
// end: from this call on, writes to a closed pipe fail with EPIPE instead of raising
// SIGPIPE, whose default effect ends the process. Call first thing in main().
void IgnoreBrokenPipe();
