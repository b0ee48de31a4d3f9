; The Quillmarch installer: 64-bit, run as the user who starts it (no UAC
; prompt), for that user by default. It installs for every user only when it
; already runs as administrator: the first page offers it then, /AllUsers asks
; for it silently. make-packages.sh runs it with
;   makensis -DVERSION=0.1.1 -DSTAGE=<the release files> -DICON=<editor icon>
;            -DFILES=<files.nsh> -DOUTFILE=<setup.exe> quillmarch.nsi
; Silent use: setup.exe /S [/AllUsers] [/D=C:\Any Folder] (/D= last, unquoted).
; Without /D= an update goes to the folder of the install already there.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestSupportedOS all
ManifestDPIAware true
RequestExecutionLevel user

!define PRODUCT "Quillmarch"
!define PUBLISHER "The Quillmarch authors"
!define PROGID "Quillmarch.Level"
!define APP_KEY "Software\Classes\Applications\Quillmarch.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmarch"
!define SHORTCUT "$SMPROGRAMS\Quillmarch.lnk"
; Where an install notes the outermost folder it had to make.
!define RECORD "Uninstall.ini"
; The copy of the uninstaller that the silent uninstall command runs.
!define UNINSTALLER_COPY "Quillmarch-Uninstall.exe"
!define SHCNE_ASSOCCHANGED 0x08000000
; Windows' code for a step that needs administrator rights.
!define ERROR_ELEVATION_REQUIRED 740
; NSIS's code for a run the script stopped: nothing more was changed.
!define EXIT_STOPPED 2

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

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include nsDialogs.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

Var AllUsers     ; 1: the install for every user
Var CanAllUsers  ; 1: running as administrator
Var GivenFolder  ; the folder /D= named, else ""
Var OldFolder    ; the folder of the install already registered for this mode, else ""
Var Created      ; the outermost folder this install makes, else ""
Var StampHigh    ; the time stamp of the release files in the folder (GetFileTime)
Var StampLow
Var Registered   ; uninstaller: 1 when the programs entry names this folder
Var EveryoneButton

Page custom ModePageCreate ModePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillmarch.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run Quillmarch"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

; Waits until no program runs from the folder in $R9: Windows keeps a running
; program's file, so going on would leave it behind. A silent run, or the
; user's Cancel, stops with EXIT_STOPPED before anything has changed.
!macro DefineWaitUntilClosed UN
Function ${UN}WaitUntilClosed
  ${Do}
    StrCpy $R8 ""
    ${If} ${FileExists} "$R9\Quillmarch.exe"
      ClearErrors
      FileOpen $R7 "$R9\Quillmarch.exe" a
      ${If} ${Errors}
        StrCpy $R8 "Quillmarch"
      ${Else}
        FileClose $R7
      ${EndIf}
    ${EndIf}
    ${If} ${FileExists} "$R9\vrktool.exe"
    ${AndIf} $R8 == ""
      ClearErrors
      FileOpen $R7 "$R9\vrktool.exe" a
      ${If} ${Errors}
        StrCpy $R8 "vrktool"
      ${Else}
        FileClose $R7
      ${EndIf}
    ${EndIf}
    ${If} $R8 == ""
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$R8 is running from $R9.$\r$\n$\r$\nClose it, then choose Retry. Cancel stops here and changes nothing." /SD IDCANCEL IDRETRY retry
    SetErrorLevel ${EXIT_STOPPED}
    Quit
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro DefineWaitUntilClosed ""
!insertmacro DefineWaitUntilClosed "un."

; The shell folders, the registry root (SHCTX) and the folder for the mode in
; $AllUsers. /D= wins; else an update goes where the install already is.
Function ApplyMode
  ${If} $AllUsers == 1
    SetShellVarContext all
    StrCpy $0 "$PROGRAMFILES64\${PRODUCT}"
  ${Else}
    SetShellVarContext current
    StrCpy $0 "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${EndIf}
  ReadRegStr $OldFolder SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $GivenFolder != ""
    StrCpy $INSTDIR $GivenFolder
  ${ElseIf} $OldFolder != ""
    StrCpy $INSTDIR $OldFolder
  ${Else}
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Function .onInit
  ; /D= has set the folder before this runs.
  StrCpy $GivenFolder $INSTDIR
  ; "Admin" only for an elevated token: under UAC an administrator's
  ; ordinary one counts as a user's.
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $CanAllUsers 1
  ${Else}
    StrCpy $CanAllUsers 0
  ${EndIf}

  StrCpy $AllUsers 0
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/AllUsers" $2
  ${IfNot} ${Errors}
    ${If} $CanAllUsers != 1
      MessageBox MB_ICONSTOP "Installing ${PRODUCT} for anyone using this computer needs administrator rights: run Setup as administrator." /SD IDOK
      SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
      Quit
    ${EndIf}
    StrCpy $AllUsers 1
  ${ElseIf} $CanAllUsers == 1
    ; An administrator updating the install for every user, with none of his own.
    ClearErrors
    ${GetOptions} $1 "/CurrentUser" $2
    ${If} ${Errors}
      ReadRegStr $3 HKLM "${UNINSTALL_KEY}" "InstallLocation"
      ReadRegStr $4 HKCU "${UNINSTALL_KEY}" "InstallLocation"
      ${If} $3 != ""
      ${AndIf} $4 == ""
        StrCpy $AllUsers 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Call ApplyMode
FunctionEnd

Function ModePageCreate
  !insertmacro MUI_HEADER_TEXT "Choose who can use ${PRODUCT}" "Install ${PRODUCT} ${VERSION} for your own account or for anyone using this computer."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 20u "Installing for your own account needs no administrator rights. Installing for anyone using this computer needs Setup run as administrator."
  Pop $0
  ${NSD_CreateRadioButton} 10u 26u 90% 12u "Just for &me"
  Pop $1
  ${NSD_CreateRadioButton} 10u 42u 90% 12u "For &anyone using this computer"
  Pop $EveryoneButton
  ${If} $AllUsers == 1
    ${NSD_Check} $EveryoneButton
  ${Else}
    ${NSD_Check} $1
  ${EndIf}
  ${If} $CanAllUsers != 1
    EnableWindow $EveryoneButton 0
    ${NSD_CreateLabel} 0 64u 100% 30u "Setup runs without administrator rights now. To install for anyone using this computer, close it and run it as administrator (right-click it, Run as administrator)."
    Pop $0
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $EveryoneButton $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call ApplyMode
FunctionEnd

; An install moved by /D= or on the folder page: the old copy goes first, by
; its own uninstaller, so that one copy stays registered. When it cannot go,
; Setup says why and stops before changing anything.
Function RemoveOldCopy
  ${IfNot} ${FileExists} "$OldFolder\Uninstall.exe"
    Return
  ${EndIf}
  StrCpy $R9 $OldFolder
  Call WaitUntilClosed
  DetailPrint "Removing the copy in $OldFolder"
  ; Run from a copy, the old uninstaller can remove its own file and folder.
  InitPluginsDir
  CopyFiles /SILENT "$OldFolder\Uninstall.exe" "$PLUGINSDIR\old-uninstall.exe"
  StrCpy $0 ""
  ExecWait '"$PLUGINSDIR\old-uninstall.exe" /S _?=$OldFolder' $0
  ${If} $0 != 0
  ${OrIf} ${FileExists} "$OldFolder\Quillmarch.exe"
    MessageBox MB_ICONSTOP "${PRODUCT} is installed in $OldFolder and could not be removed from there (its uninstaller ended with code $0).$\r$\nUninstall it from Settings, Apps, then run Setup again." /SD IDOK
    SetErrorLevel ${EXIT_STOPPED}
    Quit
  ${EndIf}
FunctionEnd

; The outermost of the install folder and its parents that do not exist yet.
Function FindFoldersToMake
  StrCpy $Created ""
  StrCpy $0 $INSTDIR
  ${DoUntil} ${FileExists} "$0\*.*"
    StrCpy $Created $0
    ${GetParent} $0 $0
    ${IfThen} $0 == "" ${|} ${ExitDo} ${|}
  ${Loop}
FunctionEnd

; An example the user changed has another time stamp than the release files:
; it stays as the user left it.
!macro InstallExample NAME SOURCE
  ClearErrors
  GetFileTime "$INSTDIR\${NAME}" $0 $1
  ${If} ${Errors}
  ${OrIf} "$0 $1" == "$StampHigh $StampLow"
    File "${SOURCE}"
  ${Else}
    DetailPrint "Kept your changed $INSTDIR\${NAME}"
  ${EndIf}
!macroend
!macro UninstallExample NAME
  ClearErrors
  GetFileTime "$INSTDIR\${NAME}" $0 $1
  ${IfNot} ${Errors}
  ${AndIf} "$0 $1" == "$StampHigh $StampLow"
    Delete "$INSTDIR\${NAME}"
  ${EndIf}
!macroend

!include "${FILES}"

Section "Quillmarch"
  StrCpy $R9 $INSTDIR
  Call WaitUntilClosed
  ${If} $OldFolder != ""
  ${AndIf} $OldFolder != $INSTDIR
    Call RemoveOldCopy
  ${EndIf}
  Call FindFoldersToMake
  ; The stamp of the files an earlier install put here (none: "").
  StrCpy $StampHigh ""
  StrCpy $StampLow ""
  GetFileTime "$INSTDIR\Quillmarch.exe" $StampHigh $StampLow

  SetOutPath "$INSTDIR"
  !insertmacro InstallReleaseFiles
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} $Created != ""
    WriteINIStr "$INSTDIR\${RECORD}" "Folders" "Created" "$Created"
  ${EndIf}
  CreateShortCut "${SHORTCUT}" "$INSTDIR\Quillmarch.exe" "" "$INSTDIR\Quillmarch.exe" 0

  ; The file type, as Windows asks of a program: its own ProgID, offered for
  ; .vrk beside any other program's, and the program's own entry. SHCTX is
  ; HKCU for the current user and HKLM for every user.
  WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "Quillmarch level"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\Quillmarch.exe,0"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\Quillmarch.exe" "%1"'
  WriteRegNone SHCTX "Software\Classes\.vrk\OpenWithProgids" "${PROGID}"
  WriteRegStr SHCTX "${APP_KEY}" "FriendlyAppName" "${PRODUCT}"
  WriteRegNone SHCTX "${APP_KEY}\SupportedTypes" ".vrk"
  WriteRegStr SHCTX "${APP_KEY}\shell\open\command" "" '"$INSTDIR\Quillmarch.exe" "%1"'
  ; .vrk opens with Quillmarch only when no other program has it; the
  ; machine's classes count for a user's install too, as Windows merges them.
  ReadRegStr $0 SHCTX "Software\Classes\.vrk" ""
  ${If} $0 == ""
  ${AndIf} $AllUsers != 1
    ReadRegStr $0 HKLM "Software\Classes\.vrk" ""
  ${EndIf}
  ${If} $0 == ""
  ${OrIf} $0 == "${PROGID}"
    WriteRegStr SHCTX "Software\Classes\.vrk" "" "${PROGID}"
  ${EndIf}

  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillmarch.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  ; Uninstall.exe run from the folder cannot delete itself, and run without
  ; _?= it hands the work to a copy in %TEMP% and returns at once. The silent
  ; command runs such a copy itself and waits for it: it ends when the work
  ; is done, with the copy's exit code. _?= takes the folder unquoted, last.
  ${WordReplace} "$INSTDIR" "^" "^^" "+" $0
  ${WordReplace} "$0" "&" "^&" "+" $0
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$SYSDIR\cmd.exe" /d /c "copy /b /y "$INSTDIR\Uninstall.exe" "%TEMP%\${UNINSTALLER_COPY}" >nul && "%TEMP%\${UNINSTALLER_COPY}" /S _?=$0"'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $1

  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd

; The install for every user is the one whose programs entry names this
; folder; the current user's likewise. Any other copy is not registered, and
; its uninstaller leaves the registered copy's entries alone.
Function un.onInit
  StrCpy $Registered 0
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    SetShellVarContext all
    StrCpy $Registered 1
    UserInfo::GetAccountType
    Pop $2
    ${If} $2 != "Admin"
      MessageBox MB_ICONSTOP "${PRODUCT} is installed for anyone using this computer: removing it needs administrator rights. Run the uninstaller as administrator." /SD IDOK
      SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
      Quit
    ${EndIf}
  ${Else}
    SetShellVarContext current
    ${IfThen} $1 == $INSTDIR ${|} StrCpy $Registered 1 ${|}
  ${EndIf}
  StrCpy $R9 $INSTDIR
  Call un.WaitUntilClosed
FunctionEnd

; Removes the parents of the install folder that the install made: the
; outermost one it noted ($R0) and those inside it, each only when empty.
Function un.RemoveMadeParents
  ${If} $R0 == ""
    Return
  ${EndIf}
  StrLen $R2 $R0
  StrCpy $R1 $INSTDIR
  ${Do}
    ${GetParent} $R1 $R1
    StrCpy $R3 $R1 $R2
    StrCpy $R4 $R1 1 $R2
    ${If} $R3 != $R0
      ${ExitDo}
    ${EndIf}
    ${If} $R4 != ""
    ${AndIf} $R4 != "\"
      ${ExitDo}
    ${EndIf}
    RMDir $R1
  ${Loop}
FunctionEnd

; Takes away what the installer made, by name: a level the user saved in the
; install folder, or an example the user changed, stays, and so does the
; folder then.
Section "Uninstall"
  StrCpy $StampHigh ""
  StrCpy $StampLow ""
  GetFileTime "$INSTDIR\Quillmarch.exe" $StampHigh $StampLow
  !insertmacro UninstallReleaseFiles
  ${If} ${FileExists} "$INSTDIR\Quillmarch.exe"
  ${OrIf} ${FileExists} "$INSTDIR\vrktool.exe"
    MessageBox MB_ICONSTOP "Some files of ${PRODUCT} could not be removed from $INSTDIR." /SD IDOK
    SetErrorLevel ${EXIT_STOPPED}
    Abort
  ${EndIf}
  ReadINIStr $R0 "$INSTDIR\${RECORD}" "Folders" "Created"
  Delete "$INSTDIR\${RECORD}"

  Delete "$INSTDIR\Uninstall.exe"
  SetOutPath "$TEMP"
  RMDir "$INSTDIR"
  Call un.RemoveMadeParents

  ${If} $Registered == 1
    Delete "${SHORTCUT}"
    ; Only what the install added: another program's default for .vrk stays.
    ReadRegStr $0 SHCTX "Software\Classes\.vrk" ""
    ${If} $0 == "${PROGID}"
      DeleteRegValue SHCTX "Software\Classes\.vrk" ""
    ${EndIf}
    DeleteRegValue SHCTX "Software\Classes\.vrk\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty SHCTX "Software\Classes\.vrk\OpenWithProgids"
    DeleteRegKey /ifempty SHCTX "Software\Classes\.vrk"
    DeleteRegKey SHCTX "Software\Classes\${PROGID}"
    DeleteRegKey SHCTX "${APP_KEY}"
    DeleteRegKey /ifempty SHCTX "Software\Classes\Applications"
    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
    ; Last, so that the entry stays while anything else of the install is left.
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
