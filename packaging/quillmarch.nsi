; The Quillmarch installer: 64-bit, for the current user by default (no
; administrator rights needed), for every user with /AllUsers or the choice on
; its first page. make-packages.sh runs it with
;   makensis -DVERSION=0.1.1 -DSTAGE=<the release files> -DICON=<editor icon>
;            -DFILES=<files.nsh> -DOUTFILE=<setup.exe> quillmarch.nsi
; Silent use: setup.exe /S [/AllUsers] [/D=C:\Any Folder] (/D= last, unquoted).

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestSupportedOS all

!define PRODUCT "Quillmarch"
!define PUBLISHER "the Quillmarch authors"
!define PROGID "Quillmarch.Level"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmarch"
!define SHORTCUT "$SMPROGRAMS\Quillmarch.lnk"
!define SHCNE_ASSOCCHANGED 0x08000000
; Windows' code for a step that needs administrator rights.
!define ERROR_ELEVATION_REQUIRED 740

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey LegalCopyright "Copyright (c) 2026 ${PUBLISHER}"

; A standard user runs it as is; an administrator is asked once, so that the
; first page can offer the install for every user.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INIT_FUNCTIONQUIT QuitForMissingRights
; The uninstaller finds its mode itself (un.onInit).
!define MULTIUSER_NOUNINSTALL
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

!include "${FILES}"

; /AllUsers without the rights: a silent install must not end as a success.
Function QuitForMissingRights
  SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
  Quit
FunctionEnd

Function .onInit
  ; /D= has set the folder before this runs; choosing the mode would put the
  ; mode's default folder in its place.
  StrCpy $0 $INSTDIR
  !insertmacro MULTIUSER_INIT
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Section "Quillmarch"
  SetOutPath "$INSTDIR"
  !insertmacro InstallReleaseFiles
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetOutPath "$INSTDIR"
  CreateShortCut "${SHORTCUT}" "$INSTDIR\Quillmarch.exe" "" "$INSTDIR\Quillmarch.exe" 0

  ; SHCTX is HKCU for the current user and HKLM for every user.
  WriteRegStr SHCTX "Software\Classes\.vrk" "" "${PROGID}"
  WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "Quillmarch level"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\Quillmarch.exe,0"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\Quillmarch.exe" "%1"'

  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillmarch.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $1

  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd

; An install for every user is the one whose programs-list entry names this
; folder; any other is the current user's.
Function un.onInit
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

; Takes away what the installer made, by name: a level the user saved in the
; install folder stays, and so does the folder then.
Section "Uninstall"
  !insertmacro UninstallReleaseFiles
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"

  ; .vrk may have been taken over by another program since: only our own
  ; value goes, and the key only when nothing else is left in it.
  ReadRegStr $0 SHCTX "Software\Classes\.vrk" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue SHCTX "Software\Classes\.vrk" ""
  ${EndIf}
  DeleteRegKey /ifempty SHCTX "Software\Classes\.vrk"
  DeleteRegKey SHCTX "Software\Classes\${PROGID}"
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'

  ; Last, so that the entry stays while anything else of the install is left.
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
