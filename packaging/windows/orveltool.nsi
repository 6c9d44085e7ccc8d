; The Windows installer (make windows-installer, scripts/windows-installer). A 64-bit, Unicode
; installer: wine64 and 64-bit Windows run it. The files come from the staged program folder;
; files.nsh and unfiles.nsh, written by the script, list them, so the uninstaller removes
; exactly what was installed and never the user's settings or channel files.
; Defines given by the script: VERSION, OUTFILE, LICENCE_PAGE, ICON, and MANUAL when the
; folder carries the user manual (manual\zh_CN, manual\en).
;
; It installs for the current user (no administrator rights: the user's own programs folder,
; %LOCALAPPDATA%\Programs\OrvelTool, and HKCU) or for all users (Program Files and HKLM; an
; administrator's rights are asked for when Windows starts it). /CurrentUser or /AllUsers
; choose without the page, as for a silent install (/S). Its pages are in Chinese on a Chinese
; system and in English on any other.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; A dictionary the size of the payload, so that repeats far apart in it still compress.
SetCompressorDictSize 64

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "OrvelTool"
; An update installs where the previous installation is, for the same users.
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "Software\OrvelTool"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallDir"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "Software\OrvelTool"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallDir"
!define MULTIUSER_INSTALLMODE_FUNCTION KeepGivenFolder
!define MULTIUSER_INIT_TEXT_ALLUSERSNOTPOSSIBLE "$(AllUsersNeedsAdmin)"
; The uninstaller finds its installation by the folder it is in (un.onInit).
!define MULTIUSER_NOUNINSTALL
!include "MultiUser.nsh"
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define PRODUCT_ZH "Orvel系列电台设置工具"
!define PRODUCT_EN "Orvel Series Radio Setup Tool"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvelTool"
!define PROGID "OrvelTool.ChannelFile"

Name "$(Product)"
OutFile "${OUTFILE}"
BrandingText "OrvelTool ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT_ZH}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT_ZH} ${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "2026 OrvelTool maintainers, Apache License 2.0"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The page names its own button (the stock Chinese text names another one).
!define MUI_LICENSEPAGE_TEXT_BOTTOM "$(LicenceBottom)"
!insertmacro MUI_PAGE_LICENSE "${LICENCE_PAGE}"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\orveltool.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(StartProgram)"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString Product ${LANG_ENGLISH} "${PRODUCT_EN}"
LangString Product ${LANG_SIMPCHINESE} "${PRODUCT_ZH}"
LangString LicenceBottom ${LANG_ENGLISH} "If you accept the terms of the agreement, click I Agree to continue. You must accept the agreement to install $(^NameDA)."
LangString LicenceBottom ${LANG_SIMPCHINESE} "如果你接受许可证的条款，请点击 [我接受(I)] 继续安装。你必须接受许可证才能安装 $(^NameDA)。"
LangString StartProgram ${LANG_ENGLISH} "&Start $(^NameDA)"
LangString StartProgram ${LANG_SIMPCHINESE} "启动 $(^NameDA)(&S)"
LangString SectionProgram ${LANG_ENGLISH} "The program (Start menu entry)"
LangString SectionProgram ${LANG_SIMPCHINESE} "程序（开始菜单项）"
LangString SectionDesktop ${LANG_ENGLISH} "Desktop shortcut"
LangString SectionDesktop ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString SectionFiles ${LANG_ENGLISH} "Open .dat channel files with OrvelTool"
LangString SectionFiles ${LANG_SIMPCHINESE} "用本程序打开 .dat 信道文件"
LangString ChannelFile ${LANG_ENGLISH} "Orvel channel file"
LangString ChannelFile ${LANG_SIMPCHINESE} "Orvel 信道文件"
LangString AllUsersNeedsAdmin ${LANG_ENGLISH} "Installing $(^NameDA) for all users of this computer needs an administrator's rights. Start the installer again and install it for yourself only."
LangString AllUsersNeedsAdmin ${LANG_SIMPCHINESE} "为本机所有用户安装 $(^NameDA) 需要管理员权限。请重新运行安装程序，只为自己安装。"
LangString ManualEntry ${LANG_ENGLISH} "${PRODUCT_EN} Manual"
LangString ManualEntry ${LANG_SIMPCHINESE} "${PRODUCT_ZH} 使用手册"
LangString ManualPage ${LANG_ENGLISH} "manual\en\index.html"
LangString ManualPage ${LANG_SIMPCHINESE} "manual\zh_CN\index.html"
LangString RemoveNeedsAdmin ${LANG_ENGLISH} "$(^NameDA) was installed for all users of this computer: removing it needs an administrator's rights."
LangString RemoveNeedsAdmin ${LANG_SIMPCHINESE} "$(^NameDA) 是为本机所有用户安装的，卸载需要管理员权限。"

; Chinese pages on a Chinese system (simplified or traditional), English pages on any other.
!macro ChooseLanguage
    System::Call 'kernel32::GetUserDefaultUILanguage() i .r0'
    IntOp $0 $0 & 0x3FF
    ${If} $0 = 4
        StrCpy $LANGUAGE ${LANG_SIMPCHINESE}
    ${Else}
        StrCpy $LANGUAGE ${LANG_ENGLISH}
    ${EndIf}
!macroend

Var GivenFolder

Function .onInit
    SetRegView 64
    !insertmacro ChooseLanguage
    ; /D= sets the folder before this runs; choosing the users must not replace it.
    StrCpy $GivenFolder $INSTDIR
    !insertmacro MULTIUSER_INIT
FunctionEnd

Function KeepGivenFolder
    ${If} $GivenFolder != ""
        StrCpy $INSTDIR $GivenFolder
    ${EndIf}
FunctionEnd

Section "$(SectionProgram)" SectionProgram
    SectionIn RO
    !include "files.nsh"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ; MultiUser set the shell context: the Start menu, the desktop and SHCTX (HKLM or HKCU)
    ; are those of all users or of the current user.
    CreateShortCut "$SMPROGRAMS\$(Product).lnk" "$INSTDIR\orveltool.exe" "" "$INSTDIR\orveltool.exe" 0
    !ifdef MANUAL
        ; Opens in the browser that owns .html, in the pages' language.
        CreateShortCut "$SMPROGRAMS\$(ManualEntry).lnk" "$INSTDIR\$(ManualPage)"
    !endif
    WriteRegStr SHCTX "Software\OrvelTool" "InstallDir" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "$(Product)"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "OrvelTool maintainers"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orveltool.exe"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "$(SectionDesktop)" SectionDesktop
    CreateShortCut "$DESKTOP\$(Product).lnk" "$INSTDIR\orveltool.exe" "" "$INSTDIR\orveltool.exe" 0
SectionEnd

; A double-click on a .dat file starts the window with the file's path: orveltool.exe "FILE".
; Open with also lists the program where another one keeps the default; the default taken from
; another program is kept in OrvelTool.Previous and given back on removal.
Section "$(SectionFiles)" SectionFiles
    WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "$(ChannelFile)"
    WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\orveltool.exe",0'
    WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\orveltool.exe" "%1"'
    WriteRegStr SHCTX "Software\Classes\.dat\OpenWithProgids" "${PROGID}" ""
    ReadRegStr $0 SHCTX "Software\Classes\.dat" ""
    ${If} $0 != ""
    ${AndIf} $0 != "${PROGID}"
        WriteRegStr SHCTX "Software\Classes\.dat" "OrvelTool.Previous" "$0"
    ${EndIf}
    WriteRegStr SHCTX "Software\Classes\.dat" "" "${PROGID}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

; Last, when every file is in place: Apps & features shows the size of the folder.
Section "-EstimatedSize"
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    SetRegView 64
    !insertmacro ChooseLanguage
    ; The installation this uninstaller is in: the current user's when the user's own key names
    ; this folder, else that of all users.
    ReadRegStr $0 HKCU "Software\OrvelTool" "InstallDir"
    ${If} $0 == $INSTDIR
        SetShellVarContext current
    ${Else}
        SetShellVarContext all
        UserInfo::GetAccountType
        Pop $1
        ${If} $1 != "Admin"
            MessageBox MB_OK|MB_ICONSTOP "$(RemoveNeedsAdmin)" /SD IDOK
            Abort
        ${EndIf}
    ${EndIf}
FunctionEnd

Section "Uninstall"
    ; Under either language's name, whichever the installer used.
    Delete "$SMPROGRAMS\${PRODUCT_ZH}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT_EN}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT_ZH} 使用手册.lnk"
    Delete "$SMPROGRAMS\${PRODUCT_EN} Manual.lnk"
    Delete "$DESKTOP\${PRODUCT_ZH}.lnk"
    Delete "$DESKTOP\${PRODUCT_EN}.lnk"
    !include "unfiles.nsh"
    Delete "$INSTDIR\uninstall.exe"
    ; Not /r: a folder that still holds something the user put there stays, with that file.
    RMDir "$INSTDIR"

    ReadRegStr $0 SHCTX "Software\Classes\.dat" ""
    ${If} $0 == "${PROGID}"
        ReadRegStr $1 SHCTX "Software\Classes\.dat" "OrvelTool.Previous"
        ${If} $1 != ""
            WriteRegStr SHCTX "Software\Classes\.dat" "" "$1"
        ${Else}
            DeleteRegValue SHCTX "Software\Classes\.dat" ""
        ${EndIf}
    ${EndIf}
    DeleteRegValue SHCTX "Software\Classes\.dat" "OrvelTool.Previous"
    DeleteRegValue SHCTX "Software\Classes\.dat\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty SHCTX "Software\Classes\.dat\OpenWithProgids"
    DeleteRegKey /ifempty SHCTX "Software\Classes\.dat"
    DeleteRegKey SHCTX "Software\Classes\${PROGID}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    DeleteRegValue SHCTX "Software\OrvelTool" "InstallDir"
    DeleteRegKey /ifempty SHCTX "Software\OrvelTool"
SectionEnd
