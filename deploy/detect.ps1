# Detection, as detect.cmd: exit 0 when nothing would change, 1 when the update would change a
# value, 1603 when a value could not be read, 1618 when another Tarnwick run held the lock for a
# minute. The log goes to $env:TEMP\tarnwick-check.log.
#
# The program is the first of these beside this script: tarnwick.exe, the release's
# tarnwick-1.02-x86_64.exe on 64-bit Windows, tarnwick-1.02-x86.exe, which runs on 32-bit and
# 64-bit Windows. Where none is there, or the program could not be started or ended with a code
# that Tarnwick never gives, one line says so and the exit code is 1603: never success, and
# never "nothing to fix".
#
# Run it with powershell.exe -File (Windows PowerShell 2.0 to 5.1) or pwsh -File. What each step
# relies on, from PowerShell's documentation:
# - about_Preference_Variables: with $ErrorActionPreference = 'Stop', every error, a cmdlet's
#   non-terminating one too, stops the statement and is caught by the catch below
#   (about_Try_Catch_Finally: catch handles terminating errors only).
# - about_Automatic_Variables: in a script, $MyInvocation.MyCommand.Path is its full path.
# - WOW64 sets PROCESSOR_ARCHITEW6432=AMD64 in a 32-bit process on 64-bit Windows (the 32-bit
#   PowerShell that some tools start), whose PROCESSOR_ARCHITECTURE is x86; a 64-bit process has
#   PROCESSOR_ARCHITECTURE=AMD64. -eq compares strings without regard to case.
# - Test-Path -PathType Leaf is true for a file only; -LiteralPath takes the name as it is,
#   wildcard characters ([, ], *, ?) included.
# - Start-Process -Wait waits for the program to end (PowerShell does not wait for a
#   GUI-subsystem program by itself), -PassThru returns its System.Diagnostics.Process, whose
#   ExitCode is the program's. A program that cannot be started (a missing or unreadable file,
#   refused elevation, not a program) is an error: -ErrorAction Stop makes it terminating, so it
#   reaches the catch and never leaves $run unset.
# - -contains compares each element with -eq: $null, or any code other than Tarnwick's, matches
#   none (ExitCode can be $null with -RedirectStandardOutput in PowerShell 7.4.0).
# - about_PowerShell_exe: when a script run with -File ends with exit N, the exit code of
#   PowerShell is N. So the script ends only with exit 1603 or with one of Tarnwick's codes.
$ErrorActionPreference = 'Stop'
$release = 'tarnwick-1.02'
$codes = 0, 1, 1603, 1618
$program = $null
$code = $null
$failure = $null
try {
    $folder = Split-Path -Parent $MyInvocation.MyCommand.Path
    $names = @('tarnwick.exe')
    if ($env:PROCESSOR_ARCHITECTURE -eq 'AMD64' -or $env:PROCESSOR_ARCHITEW6432 -eq 'AMD64') {
        $names += "$release-x86_64.exe"
    }
    $names += "$release-x86.exe"
    foreach ($name in $names) {
        $path = Join-Path $folder $name
        if ($null -eq $program -and (Test-Path -LiteralPath $path -PathType Leaf)) {
            $program = $path
        }
    }
    if ($null -eq $program) {
        $failure = "Tarnwick /check was not run: there is no $($names -join ' or ') in $folder."
    } else {
        $run = Start-Process -FilePath $program -ArgumentList '/check' -Wait -PassThru `
            -RedirectStandardOutput (Join-Path $env:TEMP 'tarnwick-check.log') -ErrorAction Stop
        $code = $run.ExitCode
        if ($codes -notcontains $code) {
            $failure = "Tarnwick /check did not run to its end: " +
                "$program stopped abnormally (exit code $code)."
        }
    }
} catch {
    # The message on one line, whatever PowerShell's own holds.
    $reason = $_.Exception.Message -replace '\s+', ' '
    $failure = "Tarnwick /check was not run: $program could not be started: $reason"
    if ($null -eq $program) {
        $failure = "Tarnwick /check was not run: $reason"
    }
}
if ($null -ne $failure) {
    Write-Output $failure
    exit 1603
}
exit $code
