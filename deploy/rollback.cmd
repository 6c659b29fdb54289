@echo off
rem Rollback: exit 0 when there was nothing to undo, 3010 when a value was restored (restart
rem the computer), 1603 when a value was kept or could not be restored, 1618 when another
rem Tarnwick run held the lock for a minute. The log goes to %TEMP%\tarnwick-undo.log.
rem
rem The program is the first of these beside this script: tarnwick.exe, the release's
rem tarnwick-1.02-x86_64.exe on 64-bit Windows (PROCESSOR_ARCHITECTURE is AMD64 in a 64-bit cmd,
rem PROCESSOR_ARCHITEW6432 in a 32-bit cmd there), tarnwick-1.02-x86.exe, which runs on 32-bit
rem and 64-bit Windows. Where none is there, or the program could not be started or ended with
rem a code that Tarnwick never gives (cmd gives 9009, or Windows' error code, for a program it
rem cannot start), one line says so and the exit code is 1603: never success, and never
rem "nothing to fix".
setlocal
set "release=tarnwick-1.02"
set "names=tarnwick.exe %release%-x86.exe"
if /i "%PROCESSOR_ARCHITECTURE%"=="AMD64" set "names=tarnwick.exe %release%-x86_64.exe %release%-x86.exe"
if /i "%PROCESSOR_ARCHITEW6432%"=="AMD64" set "names=tarnwick.exe %release%-x86_64.exe %release%-x86.exe"
set "program="
for %%n in (%names%) do if not defined program if exist "%~dp0%%n" set "program=%%n"
if not defined program goto none
"%~dp0%program%" /undo > "%TEMP%\tarnwick-undo.log"
set code=%ERRORLEVEL%
for %%c in (0 3010 1603 1618) do if "%code%"=="%%c" exit /b %code%
echo Tarnwick /undo did not run to its end: "%~dp0%program%" could not be started or stopped abnormally (exit code %code%).
exit /b 1603
:none
echo Tarnwick /undo was not run: there is no %names: = or % in "%~dp0".
exit /b 1603
