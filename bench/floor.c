/* The floor: the least a sensor process can cost. It starts, writes a fixed
 * 600-byte result document to standard output and exits. Built with
 * gcc -O2 and the default (dynamic) linking, it is what the single-system
 * run is measured against. */
#include <stdio.h>

static const char kDocument[] =
    "\n"
    "<Prtg>\n"
    "\n"
    "<Text>(PRD) System-Procs: CPU-Usage=37%, CPU-Time=1.234.567 Sec, Working-Set=12 MB, "
    "Prv-Pages=6 MB</Text>\n"
    "\n"
    "<Result><Channel>CPU-Usage</Channel>\n"
    "<Unit>Custom</Unit>\n"
    "<CustomUnit>PerCent</CustomUnit>\n"
    "<Value>37</Value></Result>\n"
    "\n"
    "<Result><Channel>SID-Usage</Channel>\n"
    "<Unit>Custom</Unit>\n"
    "<CustomUnit>PerCent</CustomUnit>\n"
    "<Value>12</Value></Result>\n"
    "\n"
    "<Result><Channel>CPU-Time</Channel>\n"
    "<Unit>Custom</Unit>\n"
    "<CustomUnit>CpuTime</CustomUnit>\n"
    "<Value>1234567</Value></Result>\n"
    "\n"
    "<Result><Channel>Working-Set</Channel>\n"
    "<Unit>Custom</Unit>\n"
    "<CustomUnit>MByte</CustomUnit>\n"
    "<Value>12</Value></Result>\n"
    "\n"
    "</Prtg>\n";

_Static_assert(sizeof kDocument - 1 == 600, "the floor writes exactly 600 bytes");

int main(void) {
  return fwrite(kDocument, 1, sizeof kDocument - 1, stdout) == sizeof kDocument - 1 ? 0 : 1;
}
