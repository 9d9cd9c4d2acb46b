/* The part of SAP's NetWeaver RFC SDK (sapnwrfc.dll / libsapnwrfc.so) that
 * the adapter uses, written from the SDK's public API documentation: UTF-16
 * texts, opaque handles, the error record and the result codes, and the
 * types of the functions the adapter looks up at run time. Nothing of the
 * SDK is needed to build the program; the library is loaded when it runs. */
#ifndef QUILLMARK_RFC_NWRFC_API_H_
#define QUILLMARK_RFC_NWRFC_API_H_

#ifdef __cplusplus
extern "C" {
#endif

/* The SDK's functions use the standard calling convention on Windows (the
 * only one on 64-bit Windows). */
#if defined(_WIN32)
#define NWRFC_CALL __stdcall
#else
#define NWRFC_CALL
#endif

/* A UTF-16 code unit; the SDK's texts are arrays of them. */
typedef char16_t SAP_UC;
typedef SAP_UC RFC_CHAR;
typedef RFC_CHAR RFC_NUM;       /* digits */
typedef unsigned char RFC_INT1; /* 1-byte integer, unsigned */
typedef short RFC_INT2;
typedef int RFC_INT;
typedef long long RFC_INT8;
typedef double RFC_FLOAT;

/* A name of the ABAP dictionary (function, parameter, field), terminated. */
typedef SAP_UC RFC_ABAP_NAME[30 + 1];
typedef SAP_UC RFC_PARAMETER_DEFVALUE[30 + 1];
typedef SAP_UC RFC_PARAMETER_TEXT[79 + 1];

/* Result codes. */
typedef enum RFC_RC {
  RFC_OK = 0,
  RFC_COMMUNICATION_FAILURE = 1,
  RFC_LOGON_FAILURE = 2,
  RFC_ABAP_RUNTIME_FAILURE = 3,
  RFC_ABAP_MESSAGE = 4,
  RFC_ABAP_EXCEPTION = 5,
  RFC_CLOSED = 6,
  RFC_CANCELED = 7,
  RFC_TIMEOUT = 8,
  RFC_MEMORY_INSUFFICIENT = 9,
  RFC_VERSION_MISMATCH = 10,
  RFC_INVALID_PROTOCOL = 11,
  RFC_SERIALIZATION_FAILURE = 12,
  RFC_INVALID_HANDLE = 13,
  RFC_RETRY = 14,
  RFC_EXTERNAL_FAILURE = 15,
  RFC_EXECUTED = 16,
  RFC_NOT_FOUND = 17,
  RFC_NOT_SUPPORTED = 18,
  RFC_ILLEGAL_STATE = 19,
  RFC_INVALID_PARAMETER = 20,
  RFC_CODEPAGE_CONVERSION_FAILURE = 21,
  RFC_CONVERSION_FAILURE = 22,
  RFC_BUFFER_TOO_SMALL = 23,
  RFC_TABLE_MOVE_BOF = 24,
  RFC_TABLE_MOVE_EOF = 25
} RFC_RC;

/* The ABAP type of a field or parameter, as its description gives it. */
typedef enum RFCTYPE {
  RFCTYPE_CHAR = 0,  /* characters, fixed length, blank-padded */
  RFCTYPE_DATE = 1,  /* YYYYMMDD */
  RFCTYPE_BCD = 2,   /* packed number, 1 to 16 bytes */
  RFCTYPE_TIME = 3,  /* HHMMSS */
  RFCTYPE_BYTE = 4,  /* raw bytes, fixed length */
  RFCTYPE_TABLE = 5, /* internal table */
  RFCTYPE_NUM = 6,   /* digits, fixed length, leading zeros */
  RFCTYPE_FLOAT = 7, /* double precision */
  RFCTYPE_INT = 8,   /* 4-byte integer */
  RFCTYPE_INT2 = 9,  /* 2-byte integer */
  RFCTYPE_INT1 = 10, /* 1-byte integer, unsigned */
  RFCTYPE_NULL = 14,
  RFCTYPE_ABAPOBJECT = 16,
  RFCTYPE_STRUCTURE = 17,
  RFCTYPE_DECF16 = 23, /* IEEE 754r decimal floating point, 8 bytes */
  RFCTYPE_DECF34 = 24, /* IEEE 754r decimal floating point, 16 bytes */
  RFCTYPE_XMLDATA = 28,
  RFCTYPE_STRING = 29,  /* characters, variable length */
  RFCTYPE_XSTRING = 30, /* raw bytes, variable length */
  RFCTYPE_INT8 = 31,    /* 8-byte integer */
  RFCTYPE_UTCLONG = 32,
  RFCTYPE_UTCSECOND = 33,
  RFCTYPE_UTCMINUTE = 34,
  RFCTYPE_DTDAY = 35,
  RFCTYPE_DTWEEK = 36,
  RFCTYPE_DTMONTH = 37,
  RFCTYPE_TSECOND = 38,
  RFCTYPE_TMINUTE = 39,
  RFCTYPE_CDAY = 40,
  RFCTYPE_BOX = 41,
  RFCTYPE_GENERIC_BOX = 42
} RFCTYPE;

/* How a parameter is passed. */
typedef enum RFC_DIRECTION {
  RFC_IMPORT = 0x01,
  RFC_EXPORT = 0x02,
  RFC_CHANGING = RFC_IMPORT | RFC_EXPORT,
  RFC_TABLES = 0x04 | RFC_CHANGING
} RFC_DIRECTION;

/* Which side a failure comes from. */
typedef enum RFC_ERROR_GROUP {
  RFC_GROUP_OK = 0,
  ABAP_APPLICATION_FAILURE = 1,
  ABAP_RUNTIME_FAILURE = 2,
  LOGON_FAILURE = 3,
  COMMUNICATION_FAILURE = 4,
  EXTERNAL_RUNTIME_FAILURE = 5,
  EXTERNAL_APPLICATION_FAILURE = 6,
  EXTERNAL_AUTHORIZATION_FAILURE = 7
} RFC_ERROR_GROUP;

/* What every SDK function fills on failure. */
typedef struct RFC_ERROR_INFO {
  RFC_RC code;
  RFC_ERROR_GROUP group;
  SAP_UC key[128];
  SAP_UC message[512];
  SAP_UC abapMsgClass[20 + 1];
  SAP_UC abapMsgType[1 + 1];
  SAP_UC abapMsgNumber[3 + 1];
  SAP_UC abapMsgV1[50 + 1];
  SAP_UC abapMsgV2[50 + 1];
  SAP_UC abapMsgV3[50 + 1];
  SAP_UC abapMsgV4[50 + 1];
} RFC_ERROR_INFO;

/* One logon parameter ("ashost", "sysnr", "client", ...). */
typedef struct RFC_CONNECTION_PARAMETER {
  const SAP_UC* name;
  const SAP_UC* value;
} RFC_CONNECTION_PARAMETER;

/* Opaque handles. A function, structure or table handle is a data
 * container: its fields are read and set by name. A table handle reads the
 * fields of its current row. */
typedef struct RFC_CONNECTION_HANDLE_ {
  void* handle;
} * RFC_CONNECTION_HANDLE;
typedef struct RFC_FUNCTION_DESC_HANDLE_ {
  void* handle;
} * RFC_FUNCTION_DESC_HANDLE;
typedef struct RFC_DATA_CONTAINER_ {
  void* handle;
} * DATA_CONTAINER_HANDLE;
typedef DATA_CONTAINER_HANDLE RFC_FUNCTION_HANDLE;
typedef DATA_CONTAINER_HANDLE RFC_TABLE_HANDLE;
/* The description of a structure or of a table's row. */
typedef struct RFC_TYPE_DESC_HANDLE_ {
  void* handle;
} * RFC_TYPE_DESC_HANDLE;

/* The description of one field of a structure. */
typedef struct RFC_FIELD_DESC {
  RFC_ABAP_NAME name;
  RFCTYPE type;
  unsigned nucLength; /* bytes in a 1-byte-per-character system */
  unsigned nucOffset;
  unsigned ucLength; /* bytes in a 2-byte-per-character system */
  unsigned ucOffset;
  unsigned decimals;                   /* of a packed number */
  RFC_TYPE_DESC_HANDLE typeDescHandle; /* a nested structure's or table's */
  void* extendedDescription;
} RFC_FIELD_DESC;

/* The description of one parameter of a function module. */
typedef struct RFC_PARAMETER_DESC {
  RFC_ABAP_NAME name;
  RFCTYPE type;
  RFC_DIRECTION direction;
  unsigned nucLength;
  unsigned ucLength;
  unsigned decimals;
  RFC_TYPE_DESC_HANDLE typeDescHandle; /* a structure's or a table's row type */
  RFC_PARAMETER_DEFVALUE defaultValue;
  RFC_PARAMETER_TEXT parameterText;
  unsigned char optional; /* 1 optional, 0 required */
  void* extendedDescription;
} RFC_PARAMETER_DESC;

/* The functions the adapter uses, by their exported names. */
typedef RFC_CONNECTION_HANDLE(NWRFC_CALL* RfcOpenConnectionFunction)(
    const RFC_CONNECTION_PARAMETER* parameters, unsigned count, RFC_ERROR_INFO* error);
typedef RFC_RC(NWRFC_CALL* RfcCloseConnectionFunction)(RFC_CONNECTION_HANDLE connection,
                                                       RFC_ERROR_INFO* error);
typedef RFC_FUNCTION_DESC_HANDLE(NWRFC_CALL* RfcGetFunctionDescFunction)(
    RFC_CONNECTION_HANDLE connection, const SAP_UC* name, RFC_ERROR_INFO* error);
typedef RFC_FUNCTION_HANDLE(NWRFC_CALL* RfcCreateFunctionFunction)(
    RFC_FUNCTION_DESC_HANDLE description, RFC_ERROR_INFO* error);
typedef RFC_RC(NWRFC_CALL* RfcDestroyFunctionFunction)(RFC_FUNCTION_HANDLE function,
                                                       RFC_ERROR_INFO* error);
typedef RFC_RC(NWRFC_CALL* RfcSetCharsFunction)(DATA_CONTAINER_HANDLE container, const SAP_UC* name,
                                                const RFC_CHAR* value, unsigned length,
                                                RFC_ERROR_INFO* error);
typedef RFC_RC(NWRFC_CALL* RfcInvokeFunction)(RFC_CONNECTION_HANDLE connection,
                                              RFC_FUNCTION_HANDLE function, RFC_ERROR_INFO* error);
typedef RFC_RC(NWRFC_CALL* RfcGetIntFunction)(DATA_CONTAINER_HANDLE container, const SAP_UC* name,
                                              RFC_INT* value, RFC_ERROR_INFO* error);
typedef RFC_RC(NWRFC_CALL* RfcGetCharsFunction)(DATA_CONTAINER_HANDLE container, const SAP_UC* name,
                                                RFC_CHAR* buffer, unsigned bufferLength,
                                                RFC_ERROR_INFO* error);
typedef RFC_RC(NWRFC_CALL* RfcGetTableFunction)(DATA_CONTAINER_HANDLE container, const SAP_UC* name,
                                                RFC_TABLE_HANDLE* table, RFC_ERROR_INFO* error);
typedef RFC_RC(NWRFC_CALL* RfcGetRowCountFunction)(RFC_TABLE_HANDLE table, unsigned* count,
                                                   RFC_ERROR_INFO* error);
typedef RFC_RC(NWRFC_CALL* RfcMoveToFunction)(RFC_TABLE_HANDLE table, unsigned index,
                                              RFC_ERROR_INFO* error);
typedef const SAP_UC*(NWRFC_CALL* RfcGetVersionFunction)(unsigned* major, unsigned* minor,
                                                         unsigned* patchLevel);
typedef RFC_RC(NWRFC_CALL* RfcGetParameterDescByNameFunction)(RFC_FUNCTION_DESC_HANDLE description,
                                                              const SAP_UC* name,
                                                              RFC_PARAMETER_DESC* parameter,
                                                              RFC_ERROR_INFO* error);
typedef RFC_RC(NWRFC_CALL* RfcGetFieldDescByNameFunction)(RFC_TYPE_DESC_HANDLE type,
                                                          const SAP_UC* name, RFC_FIELD_DESC* field,
                                                          RFC_ERROR_INFO* error);
/* The number of fields of a structure or row type, and the description of
 * field `index` (from 0) in the order the system lists them. */
typedef RFC_RC(NWRFC_CALL* RfcGetFieldCountFunction)(RFC_TYPE_DESC_HANDLE type, unsigned* count,
                                                     RFC_ERROR_INFO* error);
typedef RFC_RC(NWRFC_CALL* RfcGetFieldDescByIndexFunction)(RFC_TYPE_DESC_HANDLE type,
                                                           unsigned index, RFC_FIELD_DESC* field,
                                                           RFC_ERROR_INFO* error);
typedef RFC_RC(NWRFC_CALL* RfcGetInt8Function)(DATA_CONTAINER_HANDLE container, const SAP_UC* name,
                                               RFC_INT8* value, RFC_ERROR_INFO* error);
typedef RFC_RC(NWRFC_CALL* RfcGetFloatFunction)(DATA_CONTAINER_HANDLE container, const SAP_UC* name,
                                                RFC_FLOAT* value, RFC_ERROR_INFO* error);
/* Fills a terminated text; RFC_BUFFER_TOO_SMALL with *length the length
 * needed (without the terminator) when it does not fit. */
typedef RFC_RC(NWRFC_CALL* RfcGetStringFunction)(DATA_CONTAINER_HANDLE container,
                                                 const SAP_UC* name, SAP_UC* buffer,
                                                 unsigned bufferLength, unsigned* length,
                                                 RFC_ERROR_INFO* error);
/* Fills the buffer with digits from the right, leading zeros before them. */
typedef RFC_RC(NWRFC_CALL* RfcGetNumFunction)(DATA_CONTAINER_HANDLE container, const SAP_UC* name,
                                              RFC_NUM* buffer, unsigned bufferLength,
                                              RFC_ERROR_INFO* error);

#ifdef __cplusplus
}
#endif

#endif /* QUILLMARK_RFC_NWRFC_API_H_ */
