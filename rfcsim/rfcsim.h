/* The stand-in RFC library: plays SAP's RFC library, the network and the SAP
 * systems of a landscape file (RFCSIM_LANDSCAPE, or rfcsim.ini in the working
 * directory) with their operating-system collector. */
#ifndef RFCSIM_RFCSIM_H_
#define RFCSIM_RFCSIM_H_

#include "rfc/rfc_library.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The stand-in's filled function record; the same record on every call. */
const RfcLibrary* RfcSimLibrary(void);

#ifdef __cplusplus
}
#endif

#endif /* RFCSIM_RFCSIM_H_ */
