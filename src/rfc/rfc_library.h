/* The RFC library as the program sees it: plain C records and one record of
 * function pointers, one member per library operation. An implementation
 * (the stand-in SAP landscape, later an adapter to SAP's current SDK)
 * exports one function that returns its filled record; its operations carry
 * names of their own, so several implementations can sit in one executable
 * and be chosen at run time. Nothing of the program reaches into an
 * implementation except through this record. */
#ifndef QUILLMARK_RFC_RFC_LIBRARY_H_
#define QUILLMARK_RFC_RFC_LIBRARY_H_

#ifdef __cplusplus
extern "C" {
#endif

/* A connection; 0 means no connection. */
typedef unsigned int RfcHandle;
/* An internal table of the library; null means none. */
typedef void* RfcTableHandle;
/* An installed row structure. */
typedef unsigned int RfcTypeHandle;

/* Result codes of RfcCall and RfcReceive. */
enum { kRfcOk = 0, kRfcFailure = 1, kRfcException = 2, kRfcSysException = 3 };

/* Type codes of parameters and structure fields. */
enum {
  kRfcTypeChar = 0,
  kRfcTypeInt = 8, /* 4-byte signed integer */
  kRfcTypeInt2 = 9 /* 2-byte signed integer */
};

/* The library calls this with an operation text whenever an operation
 * fails. */
typedef void (*RfcErrorHandler)(char* operation);

/* See RfcOnIniRead. */
typedef void (*RfcIniReadNotice)(void* context);

typedef struct RfcEnvironmentRecord {
  RfcErrorHandler errorHandler;
  void* (*allocate)(void* old, unsigned long size); /* null: the library's own */
} RfcEnvironmentRecord;

/* Mode 0: an application server (and optional gateway). */
typedef struct RfcServerRecord {
  char* hostname;       /* null when empty */
  int sysnr;            /* the system number's value */
  char* gatewayHost;    /* null when empty */
  char* gatewayService; /* null when empty */
} RfcServerRecord;

/* Mode 1 (R/2): a gateway. */
typedef struct RfcGatewayRecord {
  char* gatewayHost;    /* null when empty */
  char* gatewayService; /* null when empty */
} RfcGatewayRecord;

typedef struct RfcOptionsRecord {
  char* destination;
  int mode;         /* 0: RfcServerRecord, 1: RfcGatewayRecord */
  void* connection; /* the record that mode names */
  char* client;
  char* user;     /* blank-padded to 12 characters */
  char* password; /* blank-padded to 10 characters */
  char* language;
  int trace;
} RfcOptionsRecord;

/* What RfcLastError fills (545 bytes of terminated texts). */
typedef struct RfcErrorInfo {
  char key[33];
  char status[128];
  char message[256];
  char internalStatus[128];
} RfcErrorInfo;

/* One field of a row structure. */
typedef struct RfcTypeElement {
  const char* name;
  unsigned type;   /* kRfcTypeChar, kRfcTypeInt or kRfcTypeInt2 */
  unsigned length; /* bytes */
  unsigned decimals;
  unsigned offset; /* 0: natural alignment, worked out by the library */
} RfcTypeElement;

/* A scalar parameter; a record whose name is null ends a list. */
typedef struct RfcParameter {
  const char* name;
  unsigned nameLength;
  unsigned type;
  unsigned length;
  void* address;
} RfcParameter;

/* A table parameter; a record whose name is null ends a list. */
typedef struct RfcTable {
  const char* name;
  unsigned nameLength;
  RfcTypeHandle type;
  unsigned rowLength;
  RfcTableHandle table;
  int mode;
} RfcTable;

typedef struct RfcLibrary {
  /* Installs the error handler. */
  void (*RfcEnvironment)(RfcEnvironmentRecord* environment);
  /* Opens a connection from an options record; 0 on failure. */
  RfcHandle (*RfcOpen)(RfcOptionsRecord* options);
  /* Opens a connection from a connect string ("CLIENT=... DEST=..."), the
   * destination's entry read from SapRfc.ini; 0 on failure. */
  RfcHandle (*RfcOpenEx)(const char* connect, RfcErrorInfo* error);
  /* Installs a row structure; 0 on success with *handle set. */
  int (*RfcInstallStructure)(const char* name, const RfcTypeElement* elements, unsigned count,
                             RfcTypeHandle* handle);
  /* Creates an internal table of rows of `rowLength` bytes; null on failure. */
  RfcTableHandle (*ItCreate)(const char* name, unsigned rowLength, unsigned occurs,
                             unsigned memsize);
  /* Sends a remote call; 0 when sent. */
  int (*RfcCall)(RfcHandle connection, const char* function, RfcParameter* exporting,
                 RfcTable* tables);
  /* Receives its answer: 0 success, 1 failure, 2 exception (*exception set),
   * 3 system exception (*exception set), other codes for other failures. */
  int (*RfcReceive)(RfcHandle connection, RfcParameter* importing, RfcTable* tables,
                    char** exception);
  /* The table's row count. */
  unsigned (*ItFill)(RfcTableHandle table);
  /* The row `line` (from 1); null on failure. */
  void* (*ItGetLine)(RfcTableHandle table, unsigned line);
  /* Deletes the table; 0 on success. */
  int (*ItDelete)(RfcTableHandle table);
  /* Fills the last error. */
  void (*RfcLastError)(RfcErrorInfo* info);
  /* Closes a connection; 0 closes nothing but is accepted. */
  void (*RfcClose)(RfcHandle connection);
  /* Registers `notice` for the next RfcOpenEx on the calling thread: that
   * call invokes notice(context) once it has read its entry of SapRfc.ini,
   * before it connects, whatever happens afterwards; null clears it. The
   * program rewrites SapRfc.ini under a lock that other runs wait for, and
   * releases it on this notice, so no run waits while another run's library
   * waits for a system. May be null: the lock is then held until RfcOpenEx
   * returns. Also the record's members added later may be null, so a record
   * written for this header without them still works. */
  void (*RfcOnIniRead)(RfcIniReadNotice notice, void* context);
  /* The library's version: its text (owned by the library, valid until the
   * next call), and its major and minor version and patch level as far as
   * the library numbers them (0 otherwise); each pointer may be null. May be
   * null: the library tells no version. */
  const char* (*RfcVersion)(unsigned* major, unsigned* minor, unsigned* patchLevel);
} RfcLibrary;

#ifdef __cplusplus
}
#endif

#endif /* QUILLMARK_RFC_RFC_LIBRARY_H_ */
