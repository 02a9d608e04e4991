// break leaves the innermost loop, continue starts its next pass.
(:i)= i=0, while(1, i++, if(i>=7, break())), i;
// expect: 7
(:i,s)= i=0, s=0, while(i<10, i++, if(fmod(i, 2) == 1, continue()), s=s+i), s;
// expect: 30
(:i,j,n)= i=0, n=0, while(i<3, i++, j=0, while(1, j++, n++, if(j>=4, break()))), n;
// expect: 12
