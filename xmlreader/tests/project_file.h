// A project file as the program saves it: header, generated DTD, root with the file version
// and a command list.
#ifndef CAPREL_TESTS_PROJECT_FILE_H
#define CAPREL_TESTS_PROJECT_FILE_H

#include <string>

namespace caprel_test {

// The declarations of the project file, up to and including the line that closes the DTD.
inline std::string ProjectHeaderAndDtd() {
    return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
           "<!DOCTYPE ProjectKelvane\n"
           "[\n"
           "\t<!ELEMENT ProjectKelvane (\n"
           "\t\tCommandList)>\n"
           "\t<!ELEMENT CommandList (\n"
           "\t\tComment*,\n"
           "\t\tDelay*,\n"
           "\t\tDravik_Close+,\n"
           "\t\tDravik_Erase*,\n"
           "\t\tDravik_Open+,\n"
           "\t\tDravik_ProgramFile*)>\n"
           "\t<!ELEMENT Comment >\n"
           "\t<!ELEMENT Delay >\n"
           "\t<!ELEMENT Dravik_Close EMPTY >\n"
           "\t<!ELEMENT Dravik_Erase EMPTY >\n"
           "\t<!ELEMENT Dravik_Open EMPTY >\n"
           "\t<!ELEMENT Dravik_ProgramFile EMPTY >\n"
           "\t<!ATTLIST ProjectKelvane\n"
           "\t\tnFileVersion CDATA #REQUIRED\n"
           "\t\tnFileSubVersion CDATA #REQUIRED\n"
           "\t\tstrName CDATA #REQUIRED\n"
           "\t\tstrTargetProcessor CDATA #REQUIRED\n"
           "\t\tdwVCC CDATA #REQUIRED\n"
           "\t>\n"
           "\t<!ATTLIST CommandList\n"
           "\t>\n"
           "\t<!ATTLIST Comment\n"
           "\t>\n"
           "\t<!ATTLIST Delay\n"
           "\t\tdwDelay CDATA #REQUIRED\n"
           "\t>\n"
           "\t<!ATTLIST Dravik_Close\n"
           "\t\tbVccOff (FALSE|TRUE) #REQUIRED\n"
           "\t>\n"
           "\t<!ATTLIST Dravik_Erase\n"
           "\t\tdwEraseType (ERASE_ALL|ERASE_MAIN|ERASE_SEGMENT) #REQUIRED\n"
           "\t\tdwSegment CDATA #REQUIRED\n"
           "\t\tdwLength CDATA #REQUIRED\n"
           "\t>\n"
           "\t<!ATTLIST Dravik_Open\n"
           "\t\tdwVCC CDATA #REQUIRED\n"
           "\t>\n"
           "\t<!ATTLIST Dravik_ProgramFile\n"
           "\t\tstrFileName CDATA #REQUIRED\n"
           "\t\tnFileType (TI_TXT|INTEL_HEX) #REQUIRED\n"
           "\t\tbVerifyMem (FALSE|TRUE) #REQUIRED\n"
           "\t>\n"
           "]>\n";
}

inline std::string ProjectRootStart(const std::string& name) {
    return "<ProjectKelvane \n"
           "\tnFileVersion=\"2\"\n"
           "\tnFileSubVersion=\"0\"\n"
           "\tstrName=\"" +
           name +
           "\"\n"
           "\tstrTargetProcessor=\"MSP430F169\"\n"
           "\tdwVCC=\"3300\"\n"
           ">\n"
           "<CommandList \n"
           ">\n";
}

inline std::string ProjectRootEnd() {
    return "</CommandList >\n</ProjectKelvane >\n";
}

}  // namespace caprel_test

#endif  // CAPREL_TESTS_PROJECT_FILE_H
