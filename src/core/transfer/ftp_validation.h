#pragma once

#include <functional>
#include <string>

namespace tavrel {

// Where the FTP code shows a message to the operator: the window passes a function that opens
// an error box with one OK button, the command line one that prints to stderr.
using TErrorSink = std::function<void(const std::string& message)>;

// The message shown when a user ID holds a forbidden character: the first line, a carriage
// return, then the nine characters each followed by a space.
std::string FtpUserIdMessage();

// Checks an FTP user ID as the settings frame does: after trimming it may hold none of
// / \ : * ? " > < | nor a space (an empty ID passes). On failure the message goes to sink,
// when one is given. Answers whether the ID is acceptable.
bool ValidateFtpUserId(const std::string& userId, const TErrorSink& sink = {});

}  // namespace tavrel
