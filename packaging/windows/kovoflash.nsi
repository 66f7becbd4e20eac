; The per-user installer: no administrator rights, the programs in
; %LOCALAPPDATA%\Programs\KovoFlash, the window in the Start menu, and an
; uninstaller in Windows' list of programs that leaves the user's settings
; (%LOCALAPPDATA%\KovoFlash). The build defines VERSION, VERSION_MAJOR,
; VERSION_MINOR, VERSION_PATCH, FILES (the files to install, and KOVO_WINDOW
; when the window is among them) and OUTFILE.
Target amd64-unicode ; 64-bit, as the programs it installs; Unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
!include MUI2.nsh
!include FileFunc.nsh
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KovoFlash"
!define UNINSTALLER "uninstall.exe"
!define START_MENU_ENTRY "$SMPROGRAMS\KovoFlash.lnk"

Name "KovoFlash ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\KovoFlash"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ManifestDPIAware true

VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH}.0"
VIAddVersionKey /LANG=0 "ProductName" "KovoFlash"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "KovoFlash ${VERSION} setup"
VIAddVersionKey /LANG=0 "LegalCopyright" "KovoFlash developers"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!ifdef KOVO_WINDOW
  !define MUI_FINISHPAGE_RUN "$INSTDIR\${KOVO_WINDOW}"
  !define MUI_FINISHPAGE_RUN_PARAMETERS "--user-config"
!endif
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The language of the user's Windows, English elsewhere.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "KovoFlash"
  SetOutPath "$INSTDIR"
  !insertmacro KOVO_INSTALL_FILES
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
!ifdef KOVO_WINDOW
  ; Started from the menu, the window keeps its settings in the user's folder.
  CreateShortCut "${START_MENU_ENTRY}" "$INSTDIR\${KOVO_WINDOW}" "--user-config"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${KOVO_WINDOW}"
!endif
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "KovoFlash"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "KovoFlash"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Only what the installer put there: the settings in %LOCALAPPDATA%\KovoFlash
; stay, and so does a folder the user also keeps other files in.
Section "Uninstall"
  !insertmacro KOVO_DELETE_FILES
  Delete "$INSTDIR\${UNINSTALLER}"
  Delete "${START_MENU_ENTRY}"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
