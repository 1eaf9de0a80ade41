/* A program of a workstation application written against the shipped headers, in C89, to be
   compiled and linked the way a Microsoft toolchain does it (clang for *-windows-msvc and
   lld-link), against the shipped import libraries. It refers to every function of every
   library that ships with an import library; it is linked, never run. */
#include "WNT41MAG.H"
#include "WNT42MSR.H"
#include "WNT42PIN.H"
#include "WNT43EFT.H"
#include "WNTA1MAG.H"
#include "WNTA2MSR.H"
#include "WNTA2PIN.H"
#include "WNTA3EFT.H"

static unsigned int Probe(int run) {
  unsigned int h = 0;
  unsigned short count = 0;
  unsigned char bytes[32];
  unsigned int sum = 0;
  if (!run) return 0;
  sum += EftOpen(&h) + EftOpenParms(&h, 1) + EftWrite(h, bytes, 1, &count) +
         EftRead(h, bytes, 32, &count) + EftClose(h) + EftDload(h, "APP.HEX");
  sum += PinOpen(&h) + PinOpenParms(&h, 1) + PinLoadMasterKey(h, 0x10, bytes, bytes) +
         PinEnterMasterKey(h, 0x10, bytes) + PinLoadKey(h, 1, 2, bytes, bytes) +
         PinLoadICV(h, 2, bytes) + PinLoadVerifParms(h, 4, bytes) + PinSetModeEnc(h) +
         PinSetModeClr(h) + PinReadSN(h, bytes) + PinExecDevDiag(h, 3, bytes) + PinClose(h);
  sum += MagOpen(&h, 1) + MagClose(h) + MagPollOpen(&h, 1) + MagPollClose(h);
  sum += MsrOpen(&h, 1) + MsrClose(h) + MsrPollOpen(&h, 1) + MsrPollClose(h);
  sum += PinPollOpen(&h, 1) + PinPollClose(h) + EftPollOpen(&h, 1) + EftPollClose(h);
  return sum;
}

/* The entry point: no C runtime is linked. */
unsigned int __cdecl ProbeEntry(void) { return Probe(0); }
