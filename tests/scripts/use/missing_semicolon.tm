// Without ';' the statement, and so the module name, runs on into the next
// line: the host says so instead of looking for a file of that name.
#USE# modules/units.tm
unit_pi();
// expect stderr: the module name 'modules/units.tm' runs on into the next line
// expect compile error -6 at 3:1-4:9
