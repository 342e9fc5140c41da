// CmdLineKelvane: the console batch runner. The program's folder holds the
// data files (ProcessorList.xml, Serializers.xml, Overlays.xml, PATCH.TXT)
// and the plug-in libraries.
#include <string>

#include "kelvane/app/kelvane_app.h"
#include "register_commands.h"

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    kv::RegisterConsoleCommands();
    kv::CKelvaneApp app;
    return app.Main(argc > 0 ? argv[0] : "CmdLineKelvane", commandLine);
}
