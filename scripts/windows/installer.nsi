; The per-user installer: no administrator rights, everything under the
; user's own folders, and an uninstaller that takes all of it away again.
; makensis gets VERSION, VERSION_TEXT, EXE (the program file), LICENSE
; (the licence with Windows line ends) and OUTFILE from scripts/windows.sh.

Unicode true
; Debian's Wine runs only the 64-bit stub.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define APP "Corvane adresse DMX"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\adresse-dmx"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1036 "ProductName" "${APP}"
VIAddVersionKey /LANG=1036 "CompanyName" "Corvane"
VIAddVersionKey /LANG=1036 "FileDescription" "Installation de ${APP} ${VERSION_TEXT}"
VIAddVersionKey /LANG=1036 "FileVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=1036 "ProductVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=1036 "LegalCopyright" "GNU GPL"

!include "MUI2.nsh"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${APP}.exe"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "French"

Section
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "/oname=${APP}.exe" "${EXE}"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\${APP}.exe"
    ; Listed in the system's "Apps" settings, per user.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_TEXT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Corvane"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${APP}.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    Delete "$SMPROGRAMS\${APP}.lnk"
    Delete "$INSTDIR\${APP}.exe"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
