; The per-user setup of Stashly (Velto文件收藏夹): no administrator needed. installer/build-setup
; runs makensis on it with VERSION, STAGE (the installed 32-bit tree), CLICKWELL (the 64-bit
; extension), ICON and OUTFILE defined; MSIX (the signed package of the Windows 11 Explorer
; entries) and ASSETS (the logos its manifest names) when there is one; SIGN (the command that
; signs a file) when the release is signed; TARGET to build it for another target than x86-unicode
; (amd64-unicode, for testing on machines that run no 32-bit code).
;
; Command line: /S silent, /D=<folder> the install folder (last, unquoted), /STARTUP also start
; with Windows. Silent mode does every step the pages do.
Unicode true
!ifdef TARGET
  Target ${TARGET}
!endif
!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"'
!endif
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include Sections.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include WordFunc.nsh

!define TITLE "Velto文件收藏夹"
!define SETTINGS "Software\norvane\stashly"
!define UNINSTALL "Software\Microsoft\Windows\CurrentVersion\Uninstall\Stashly"
!define RUNONCE "Software\Microsoft\Windows\CurrentVersion\RunOnce"
!define PUBLISHER "Norvane"

Name "${TITLE}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Stashly"
InstallDirRegKey HKCU "${UNINSTALL}" "InstallLocation"
BrandingText "${TITLE} ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "${TITLE}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "${TITLE} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; A running program is asked to exit through its own exit command (WM_COMMAND 1), not through
; the close button, which would ask the user whether to exit or hide; then it is given a moment
; to let go of its files.
!macro CloseRunningProgram
  StrCpy $R1 0
  ${Do}
    FindWindow $R0 "" "${TITLE}"
    ${If} $R0 = 0
      ${Break}
    ${EndIf}
    SendMessage $R0 ${WM_COMMAND} 1 0 /TIMEOUT=5000
    Sleep 200
    IntOp $R1 $R1 + 1
  ${LoopUntil} $R1 >= 50
  ${If} $R1 > 0
    Sleep 1000
  ${EndIf}
!macroend

; $R4 = $INSTDIR as a PowerShell literal's inside: every kind of single quote doubled.
!macro InstallFolderLiteral
  ${WordReplace} "$INSTDIR" "'" "''" "+" $R4
  ${WordReplace} "$R4" "‘" "‘‘" "+" $R4
  ${WordReplace} "$R4" "’" "’’" "+" $R4
  ${WordReplace} "$R4" "‚" "‚‚" "+" $R4
  ${WordReplace} "$R4" "‛" "‛‛" "+" $R4
!macroend
!define POWERSHELL `"$SYSDIR\WindowsPowerShell\v1.0\powershell.exe" -NoProfile -NonInteractive -ExecutionPolicy Bypass -Command`
; Every package of ours this user has, whatever its version.
!define REMOVE_PACKAGE "Get-AppxPackage -Name 'Norvane.Stashly' | Remove-AppxPackage -ErrorAction Stop"

; The Explorer entries. On Windows 11 (build 22000 and later), with a signed package, the package
; is registered for this user, which puts them on Explorer's first level; the classic extension
; then goes, so "Show more options" holds no second pair. Windows refuses a version that is
; already registered, so whatever is registered goes first, in the same PowerShell call, and a
; surrogate still serving the old one is shut down. Elsewhere, or when the package cannot be
; registered (an untrusted certificate, no PowerShell), the classic extension, for this user.
; Entries the user switched off stay off, whatever an older version left registered. Called with
; the 64-bit file system view.
Function RegisterExplorerEntries
  StrCpy $R5 0
  !ifdef MSIX
    ReadRegStr $R3 HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion" "CurrentBuildNumber"
    ${If} $R3 >= 22000
      StrCpy $R5 1
    ${EndIf}
  !endif
  ReadRegDWORD $R7 HKCU "${SETTINGS}" "rightmenu"
  ${If} $R7 == "0"
    ${If} $R5 = 1
      nsExec::Exec `${POWERSHELL} "${REMOVE_PACKAGE}"`
      Pop $R6
    ${EndIf}
    ExecWait '"$SYSDIR\regsvr32.exe" /s /u /n /i:user "$INSTDIR\Clickwell.dll"'
  ${Else}
    ${If} $R5 = 1
      !insertmacro InstallFolderLiteral
      nsExec::Exec `${POWERSHELL} "${REMOVE_PACKAGE}; Add-AppxPackage -ErrorAction Stop -ForceApplicationShutdown -Path '$R4\Stashly.msix' -ExternalLocation '$R4'"`
      Pop $R6
      ${If} $R6 != "0"
        StrCpy $R5 0
      ${EndIf}
    ${EndIf}
    ${If} $R5 = 1
      ExecWait '"$SYSDIR\regsvr32.exe" /s /u /n /i:user "$INSTDIR\Clickwell.dll"'
    ${Else}
      ExecWait '"$SYSDIR\regsvr32.exe" /s /n /i:user "$INSTDIR\Clickwell.dll"'
    ${EndIf}
    ; As the settings dialog shows it: the Explorer entry is on.
    WriteRegDWORD HKCU "${SETTINGS}" "rightmenu" 1
  ${EndIf}
  ; The settings dialog's switch goes the same way (and falls back as this does).
  WriteRegDWORD HKCU "${SETTINGS}" "explorerpackage" $R5
FunctionEnd

; Explorer, and any program that showed a file dialog, keeps Clickwell.dll loaded after a
; right-click. A loaded DLL cannot be written or deleted, but it can be renamed: one that does not
; go is moved aside under a name of its own. Those leftovers go at the next install or, through a
; RunOnce entry of this user, at the next logon (a per-user setup cannot delete at restart), which
; also removes the install folder once nothing else is left in it.
!macro MoveExtensionAside
  Delete "$INSTDIR\Clickwell.dll*.old"
  Delete "$INSTDIR\Clickwell.dll"
  ${If} ${FileExists} "$INSTDIR\Clickwell.dll"
    StrCpy $R1 1
    ${While} ${FileExists} "$INSTDIR\Clickwell.dll.$R1.old"
      IntOp $R1 $R1 + 1
    ${EndWhile}
    Rename "$INSTDIR\Clickwell.dll" "$INSTDIR\Clickwell.dll.$R1.old"
  ${EndIf}
  FindFirst $R0 $R2 "$INSTDIR\Clickwell.dll*.old"
  FindClose $R0
  ${If} $R2 != ""
    WriteRegStr HKCU "${RUNONCE}" "StashlyCleanup" '"$SYSDIR\cmd.exe" /c del /f /q "$INSTDIR\Clickwell.dll*.old" & rd "$INSTDIR"'
  ${Else}
    DeleteRegValue HKCU "${RUNONCE}" "StashlyCleanup"
  ${EndIf}
!macroend

Section "${TITLE}" SecMain
  SectionIn RO
  !insertmacro CloseRunningProgram

  SetOutPath "$INSTDIR"
  File "${STAGE}\Stashly.exe"
  File "${STAGE}\Pictora.dll"
  File "${STAGE}\Corelet.dll"
  File "${STAGE}\Renova.dll"
  SetOutPath "$INSTDIR\config"
  File "${STAGE}\config\*.*"
  SetOutPath "$INSTDIR"

  ; Explorer on x64 Windows loads x64 extensions. ARM64 Windows runs this setup too, but its
  ; Explorer cannot load an x64 DLL (and RunningX64 is true there): no extension then.
  ${If} ${IsNativeAMD64}
    !insertmacro MoveExtensionAside
    File "${CLICKWELL}"
    !ifdef MSIX
      File "/oname=Stashly.msix" "${MSIX}"
      ; The manifest's logos, which Windows looks for in the external location.
      SetOutPath "$INSTDIR\Assets"
      File "${ASSETS}\*.png"
      SetOutPath "$INSTDIR"
    !endif
    ; The 64-bit regsvr32 and PowerShell, for this user only: no elevation.
    ${DisableX64FSRedirection}
    Call RegisterExplorerEntries
    ${EnableX64FSRedirection}
  ${EndIf}

  ; Where the Explorer entry's "open" finds the program.
  WriteRegStr HKCU "${SETTINGS}" "installpath" "$INSTDIR\Stashly.exe"
  CreateShortcut "$SMPROGRAMS\${TITLE}.lnk" "$INSTDIR\Stashly.exe"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "${UNINSTALL}" "DisplayName" "${TITLE}"
  WriteRegStr HKCU "${UNINSTALL}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL}" "DisplayIcon" "$INSTDIR\Stashly.exe,0"
  WriteRegStr HKCU "${UNINSTALL}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL}" "EstimatedSize" $0
SectionEnd

; The same shortcut the settings dialog makes for "start with Windows".
Section /o "随 Windows 启动" SecStartup
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMSTARTUP\Stashly.lnk" "$INSTDIR\Stashly.exe"
SectionEnd

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/STARTUP" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecStartup}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !insertmacro CloseRunningProgram
  ; The package goes whatever "explorerpackage" says: an older setup may have registered it and
  ; then recorded that it had not.
  ${DisableX64FSRedirection}
  ReadRegStr $R3 HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion" "CurrentBuildNumber"
  ${If} $R3 >= 22000
    nsExec::Exec `${POWERSHELL} "${REMOVE_PACKAGE}"`
    Pop $R6
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\Clickwell.dll"
    ExecWait '"$SYSDIR\regsvr32.exe" /s /u /n /i:user "$INSTDIR\Clickwell.dll"'
  ${EndIf}
  ${EnableX64FSRedirection}

  Delete "$INSTDIR\Stashly.exe"
  Delete "$INSTDIR\Pictora.dll"
  Delete "$INSTDIR\Corelet.dll"
  Delete "$INSTDIR\Renova.dll"
  !insertmacro MoveExtensionAside
  Delete "$INSTDIR\Stashly.msix"
  Delete "$INSTDIR\Assets\*.png"
  RMDir "$INSTDIR\Assets"
  Delete "$INSTDIR\config\*.xml"
  Delete "$INSTDIR\config\*.png"
  RMDir "$INSTDIR\config"
  Delete "$INSTDIR\uninstall.exe"
  ; Only an empty folder goes: whatever the user put there stays (and a held extension until
  ; the next logon).
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${TITLE}.lnk"
  Delete "$SMSTARTUP\Stashly.lnk"
  DeleteRegValue HKCU "${SETTINGS}" "installpath"
  DeleteRegValue HKCU "${SETTINGS}" "explorerpackage"
  DeleteRegKey HKCU "${UNINSTALL}"

  ; The favourites and the settings are the user's: kept unless asked (never when silent).
  MessageBox MB_YESNO|MB_DEFBUTTON2|MB_ICONQUESTION "同时删除收藏夹列表和设置吗？" /SD IDNO IDNO keep
    Delete "$APPDATA\Norvane\Stashly\favorite.qvd"
    Delete "$APPDATA\Norvane\Stashly\favorite.qvd.bak"
    Delete "$APPDATA\Norvane\Stashly\favorite.qvd.lock"
    RMDir "$APPDATA\Norvane\Stashly"
    RMDir "$APPDATA\Norvane"
    DeleteRegKey HKCU "${SETTINGS}"
  keep:
SectionEnd
