// A loop that stops itself after a run error is raised inside it.
(:i)= i=0, while(1, i++, if(i>5, which(0, 1))), i;
// expect: 6
// expect run error: which
