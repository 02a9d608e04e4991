// Module names and exported formulas: "Module" names this program's module
// (with a subordinate), "OutFun" exports formulas through the name, and a
// qualified name A::B::f reaches them; "using" makes M::name plain.
twice(x)= x*2;
hidden(x)= x*3;
!Module("Geo", "Sub");
!OutFun("twice");

#MODULE#
  half(x)= x/2;
  !Module("Sub");
  !OutFun("half");
#END#

Geo::twice(21);
Geo::Sub::half(9);
// Found through the subordinate module as well.
Geo::half(5);
SimpIntegrate(0, 1, 1e-12, "Geo::twice");
// A formula handle carried in an integer, round trip through GetFor.
i: HFor("twice", 2) != 0;
i: HFor("nothing", 2);
// After using("Geo"), a plain name is also tried as Geo::name.
!using("Geo");
half(4);
// expect: 42
// expect: 4.5
// expect: 2.5
// expect: 1
// expect: i: 1
// expect: i: 0
// expect: 2
