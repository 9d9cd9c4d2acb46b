// The SDK's connection parameters of an options record and of a connect
// string with its SapRfc.ini entry.
#include "rfc/nwrfc_logon.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace qm {
namespace {

TEST(NwRfcParameters, FromOptionsRecord) {
  char host[] = "sapprd01", gw[] = "gwhost", service[] = "sapgw05", dest[] = "PRD";
  char client[] = "100", user[] = "MONITOR     ", password[] = "pw a      ", lang[] = "E";
  RfcServerRecord server{host, 5, gw, service};
  RfcOptionsRecord options{dest, 0, &server, client, user, password, lang, 0};
  EXPECT_EQ(OptionsParameters(options), (ConnectionParameters{{"ashost", "sapprd01"},
                                                              {"sysnr", "05"},
                                                              {"gwhost", "gwhost"},
                                                              {"gwserv", "sapgw05"},
                                                              {"client", "100"},
                                                              {"user", "MONITOR"},
                                                              {"passwd", "pw a"},
                                                              {"lang", "E"}}));

  // No host: the destination names the system; a longer user is kept whole,
  // an empty language is left out.
  char longUser[] = "VERYLONGUSERNAME  ", empty[] = "";
  server = RfcServerRecord{nullptr, 0, nullptr, nullptr};
  options.user = longUser;
  options.language = empty;
  EXPECT_EQ(
      OptionsParameters(options),
      (ConnectionParameters{
          {"dest", "PRD"}, {"client", "100"}, {"user", "VERYLONGUSERNAME  "}, {"passwd", "pw a"}}));

  // Mode 1: the gateway.
  RfcGatewayRecord gateway{gw, service};
  options.mode = 1;
  options.connection = &gateway;
  EXPECT_EQ(OptionsParameters(options)[0],
            (std::pair<std::string, std::string>{"gwhost", "gwhost"}));
  EXPECT_EQ(OptionsParameters(options)[1],
            (std::pair<std::string, std::string>{"gwserv", "sapgw05"}));

  // A three-digit system number stays as it is.
  server = RfcServerRecord{host, 123, nullptr, nullptr};
  options.mode = 0;
  options.connection = &server;
  EXPECT_EQ(OptionsParameters(options)[1], (std::pair<std::string, std::string>{"sysnr", "123"}));
}

TEST(NwRfcParameters, FromConnectStringAndSapRfcIni) {
  const std::string ini =
      "* comment\r\n"
      "DEST=OTHER\r\nTYPE=A\r\nASHOST=other\r\nSYSNR=01\r\n"
      " dest = PRD \r\n type = b \r\nMSHOST=msprd\r\nR3NAME=PRD\r\nGROUP=PUBLIC\r\n"
      "DEST=QAS\nTYPE=A\nASHOST=sapqas\nSYSNR=10\nGWHOST=gwqas\nGWSERV=sapgw10\n"
      "DEST=REG\nTYPE=R\nPROGID=x\n"
      "DEST=NOHOST\nTYPE=A\nSYSNR=00\n";
  ConnectionParameters parameters;
  std::string error;
  ASSERT_TRUE(ConnectStringParameters("CLIENT=100 USER=MON PASSWD=a b LANG=D DEST=PRD", ini,
                                      &parameters, &error));
  EXPECT_EQ(parameters, (ConnectionParameters{{"mshost", "msprd"},
                                              {"sysid", "PRD"},
                                              {"group", "PUBLIC"},
                                              {"client", "100"},
                                              {"user", "MON"},
                                              {"passwd", "a b"},
                                              {"lang", "D"}}));
  ASSERT_TRUE(ConnectStringParameters("CLIENT=000 USER=X PASSWD=y LANG=D DEST=QAS", ini,
                                      &parameters, &error));
  EXPECT_EQ(parameters, (ConnectionParameters{{"ashost", "sapqas"},
                                              {"sysnr", "10"},
                                              {"gwhost", "gwqas"},
                                              {"gwserv", "sapgw10"},
                                              {"client", "000"},
                                              {"user", "X"},
                                              {"passwd", "y"},
                                              {"lang", "D"}}));

  struct {
    const char* dest;
    const char* error;
  } faults[] = {
      {"NONE", "SapRfc.ini has no entry DEST=NONE"},
      {"REG", "SapRfc.ini entry DEST=REG: TYPE=R is not supported (A or B)"},
      {"NOHOST", "SapRfc.ini entry DEST=NOHOST: ASHOST is missing"},
  };
  for (const auto& f : faults) {
    std::string connect = std::string("CLIENT=1 USER=u PASSWD=p LANG=D DEST=") + f.dest;
    EXPECT_FALSE(ConnectStringParameters(connect, ini, &parameters, &error)) << f.dest;
    EXPECT_EQ(error, f.error);
  }
}

// Every other key of the entry reaches the SDK under its own name, values
// of any length whole; the entry's own logon data give way to the
// program's.
TEST(NwRfcParameters, EveryKeyOfTheEntryIsPassedOn) {
  const std::string partner(120, 'p');
  const std::string ini =
      "DEST=SEC\nTYPE=A\nASHOST=/H/gate.example/S/3299/H/sapprd01\nSYSNR=00\n"
      "SAPROUTER=/H/gate.example/S/3299/H/\nSNC_MODE=1\nSNC_PARTNERNAME=" +
      partner +
      "\nSNC_QOP=9\nSNC_MYNAME=p:CN=monitor\nSNC_LIB=C:\\sec\\sapcrypto.dll\nSNC_SSO=0\n"
      "CODEPAGE=1100\nPCS=2\nTRACE=1\nNEW_OPTION=x\nCLIENT=999\nUSER=other\nPASSWD=other\n"
      "DEST=WS\nTYPE=A\nWSHOST=sapprd01.example\nWSPORT=44300\nUSE_TLS=1\n"
      "TLS_CLIENT_PSE=C:\\sec\\client.pse\nTLS_TRUST_ALL=0\n"
      "DEST=LB\nTYPE=B\nMSHOST=msprd\nMSSERV=3600\nR3NAME=PRD\nGROUP=SPACE\n";
  ConnectionParameters parameters;
  std::string error;
  ASSERT_TRUE(ConnectStringParameters("CLIENT=100 USER=MON PASSWD=pw LANG=D DEST=SEC", ini,
                                      &parameters, &error));
  EXPECT_EQ(parameters, (ConnectionParameters{{"ashost", "/H/gate.example/S/3299/H/sapprd01"},
                                              {"sysnr", "00"},
                                              {"saprouter", "/H/gate.example/S/3299/H/"},
                                              {"snc_mode", "1"},
                                              {"snc_partnername", partner},
                                              {"snc_qop", "9"},
                                              {"snc_myname", "p:CN=monitor"},
                                              {"snc_lib", "C:\\sec\\sapcrypto.dll"},
                                              {"snc_sso", "0"},
                                              {"codepage", "1100"},
                                              {"pcs", "2"},
                                              {"trace", "1"},
                                              {"new_option", "x"},
                                              {"client", "100"},
                                              {"user", "MON"},
                                              {"passwd", "pw"},
                                              {"lang", "D"}}));
  ASSERT_TRUE(ConnectStringParameters("CLIENT=100 USER=MON PASSWD=pw LANG=D DEST=WS", ini,
                                      &parameters, &error));
  EXPECT_EQ(parameters[0], (std::pair<std::string, std::string>{"wshost", "sapprd01.example"}));
  EXPECT_EQ(parameters[3],
            (std::pair<std::string, std::string>{"tls_client_pse", "C:\\sec\\client.pse"}));

  // RfcOpen without a host: the destination's entry, with the record's
  // logon data (padding removed); without an entry, dest for the SDK.
  char dest[] = "LB", client[] = "100", user[] = "MONITOR     ", password[] = "Geheim12  ";
  char lang[] = "E";
  RfcServerRecord server{nullptr, 0, nullptr, nullptr};
  RfcOptionsRecord options{dest, 0, &server, client, user, password, lang, 0};
  ASSERT_TRUE(DestinationParameters(options, ini, &parameters, &error));
  EXPECT_EQ(parameters, (ConnectionParameters{{"mshost", "msprd"},
                                              {"msserv", "3600"},
                                              {"sysid", "PRD"},
                                              {"group", "SPACE"},
                                              {"client", "100"},
                                              {"user", "MONITOR"},
                                              {"passwd", "Geheim12"},
                                              {"lang", "E"}}));
  char unknown[] = "QAS";
  options.destination = unknown;
  ASSERT_TRUE(DestinationParameters(options, ini, &parameters, &error));
  EXPECT_EQ(parameters[0], (std::pair<std::string, std::string>{"dest", "QAS"}));
  // A record with a host keeps it, whatever SapRfc.ini holds.
  char host[] = "sapqas01";
  server.hostname = host;
  ASSERT_TRUE(DestinationParameters(options, "DEST=QAS\nTYPE=A\nASHOST=x\n", &parameters, &error));
  EXPECT_EQ(parameters[0], (std::pair<std::string, std::string>{"ashost", "sapqas01"}));
  // An entry that cannot be used fails the open.
  server.hostname = nullptr;
  EXPECT_FALSE(DestinationParameters(options, "DEST=QAS\nTYPE=R\n", &parameters, &error));
  EXPECT_EQ(error, "SapRfc.ini entry DEST=QAS: TYPE=R is not supported (A or B)");
}

}  // namespace
}  // namespace qm
