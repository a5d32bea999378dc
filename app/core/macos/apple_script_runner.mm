// The Mac's administrator prompt: AppleScript's "do shell script … with administrator
// privileges", run in process so the error comes back as AppleScript's own number and message
// rather than as osascript's "0:NN: execution error: …" line.

#import <Foundation/Foundation.h>

#include "ventoria/app/installer.h"
#include "ventoria/app/script_error.h"

namespace ventoria::app {
namespace {

class AppleScriptRunner final : public ScriptRunner {
  public:
    std::optional<std::string> run(const std::string& script) override {
        @autoreleasepool {
            NSString* source = [NSString stringWithUTF8String:appleScriptSource(script).c_str()];
            NSAppleScript* apple = [[NSAppleScript alloc] initWithSource:source];
            NSDictionary* error = nil;
            if ([apple executeAndReturnError:&error]) return std::nullopt;
            ScriptError failure;
            if (NSNumber* number = error[NSAppleScriptErrorNumber])
                failure.number = number.longValue;
            if (NSString* message = error[NSAppleScriptErrorMessage]) {
                failure.message = message.UTF8String;
            }
            return scriptErrorText(failure);
        }
    }
};

}  // namespace

std::unique_ptr<ScriptRunner> appleScriptRunner() {
    return std::make_unique<AppleScriptRunner>();
}

}  // namespace ventoria::app
