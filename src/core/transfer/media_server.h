#pragma once

#include <cstdint>
#include <string>

namespace tavrel {

// One transmission server's FTP account, a plain record copied by value. The reserved fields
// are carried along unchanged so that a copy in and out of a dialog never loses them.
struct TMediaServer {
  std::string ServerName;
  std::int32_t Reserved1 = 0;
  std::string FTPHost;
  std::string FTPUser;
  std::string FTPPassword;
  std::int32_t FTPPort = 21;
  bool FTPPassive = false;
  bool FTPUseProxi = false;
  std::string FTPProxi;
  std::int32_t Reserved2 = 0;
  std::string Reserved3;
};

}  // namespace tavrel
