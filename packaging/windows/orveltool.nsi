; The Windows installer (make windows-installer, scripts/windows-installer). A 64-bit, Unicode
; installer: wine64 and 64-bit Windows run it. The files come from the staged program folder;
; files.nsh and unfiles.nsh, written by the script, list them, so the uninstaller removes
; exactly what was installed and never the user's settings or channel files.
; Defines given by the script: VERSION, OUTFILE, LICENCE_PAGE, ICON.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "x64.nsh"

!define PRODUCT "Orvel系列电台设置工具"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvelTool"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\OrvelTool"
InstallDirRegKey HKLM "Software\OrvelTool" "InstallDir"
RequestExecutionLevel admin
BrandingText "OrvelTool ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} ${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "2026 OrvelTool maintainers, Apache License 2.0"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_LICENSE "${LICENCE_PAGE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Function .onInit
    SetRegView 64
FunctionEnd

Section "OrvelTool"
    !include "files.nsh"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ; For every user: the programs are installed for the whole machine.
    SetShellVarContext all
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\orveltool.exe" "" "$INSTDIR\orveltool.exe" 0
    WriteRegStr HKLM "Software\OrvelTool" "InstallDir" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "OrvelTool maintainers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orveltool.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    !include "unfiles.nsh"
    Delete "$INSTDIR\uninstall.exe"
    ; Not /r: a folder that still holds something the user put there stays, with that file.
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    DeleteRegKey HKLM "Software\OrvelTool"
SectionEnd
