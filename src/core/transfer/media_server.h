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
  // Explicit TLS (AUTH TLS) on the control and data connections, with the server's certificate
  // and host name verified; when set, the client never falls back to plain FTP.
  bool FTPUseTLS = false;
  // A PEM file of the authority that signed the server's certificate, as the file system's
  // bytes; empty trusts the system's store.
  std::string FTPCAFile;
};

}  // namespace tavrel
