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

}  // namespace
}  // namespace qm
